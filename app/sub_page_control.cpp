#include "app/sub_page_control.h"

#include "app/page_builder.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

SubPageControl::SubPageControl(QWidget* parent)
    : QWidget(parent),
      buttons_(new QButtonGroup(this)),
      stack_(new QStackedWidget(this)),
      buttonRow_(new QHBoxLayout) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    buttonRow_->setSpacing(2);
    buttonRow_->addStretch();
    layout->addLayout(buttonRow_);
    layout->addWidget(stack_, 1);
    buttons_->setExclusive(true);
    connect(buttons_, &QButtonGroup::idClicked, stack_, &QStackedWidget::setCurrentIndex);
}

void SubPageControl::addPage(QWidget* page, const QString& caption) {
    const int index = stack_->addWidget(page);
    auto* button = new QPushButton(caption, this);
    button->setCheckable(true);
    button->setAutoDefault(false);
    allowNarrowing(button);
    button->setChecked(index == 0);
    buttons_->addButton(button, index);
    buttonRow_->insertWidget(index, button);
}

int SubPageControl::count() const {
    return stack_->count();
}

int SubPageControl::currentIndex() const {
    return stack_->currentIndex();
}

void SubPageControl::setCurrentIndex(int index) {
    if (QAbstractButton* b = buttons_->button(index)) {
        b->setChecked(true);
        stack_->setCurrentIndex(index);
    }
}

QWidget* SubPageControl::page(int index) const {
    return stack_->widget(index);
}

QAbstractButton* SubPageControl::button(int index) const {
    return buttons_->button(index);
}

QStringList SubPageControl::captions() const {
    QStringList list;
    for (int i = 0; i < count(); ++i) {
        list << button(i)->text();
    }
    return list;
}
