#include "app/compare_window.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "settings/schema.h"

CompareWindow::CompareWindow(const std::vector<SettingDifference>& differences,
                             const QString& fileName, QWidget* parent)
    : QDialog(parent), list_(new QTreeWidget(this)) {
    setWindowTitle(QStringLiteral("Compare with %1").arg(fileName));
    build(differences, QStringLiteral("In the window"), QStringLiteral("In %1").arg(fileName),
          true);
}

CompareWindow::CompareWindow(const std::vector<SettingDifference>& differences,
                             const QString& title, const QString& a, const QString& b,
                             QWidget* parent)
    : QDialog(parent), list_(new QTreeWidget(this)) {
    setWindowTitle(title);
    build(differences, a, b, false);
}

void CompareWindow::build(const std::vector<SettingDifference>& differences, const QString& a,
                          const QString& b, bool leadsToFields) {
    setObjectName("CompareWindow");
    auto* layout = new QVBoxLayout(this);
    auto* summary = new QLabel(
        QStringLiteral("%1 settings differ.").arg(differences.size()) +
            (leadsToFields ? QStringLiteral(" Double-click a row to go to its field.") : QString()),
        this);
    layout->addWidget(summary);

    list_->setObjectName("CompareList");
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setHeaderLabels({QStringLiteral("Setting"), a, b});
    for (const SettingDifference& d : differences) {
        auto* row = new QTreeWidgetItem(list_, {settingPlace(setting(d.setting)), d.a, d.b});
        row->setData(0, Qt::UserRole, QString::fromStdString(d.setting));
    }
    list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(list_, 1);
    // Wide enough for every column, so that both values show without scrolling sideways.
    int columns = 2 * list_->frameWidth() + list_->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < list_->columnCount(); ++c) {
        list_->resizeColumnToContents(c);
        columns += list_->columnWidth(c);
    }
    if (leadsToFields) {
        connect(list_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
            const QString name = item->data(0, Qt::UserRole).toString();
            accept();
            emit settingChosen(name);
        });
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    const QMargins margins = layout->contentsMargins();
    resize(std::clamp(columns + margins.left() + margins.right(), 560, 1200), 420);
}
