#include "app/backups_window.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

BackupsWindow::BackupsWindow(std::vector<Backup> backups, const QString& folder, QWidget* parent)
    : QDialog(parent), backups_(std::move(backups)), list_(new QTreeWidget(this)) {
    setObjectName("BackupsWindow");
    setWindowTitle(QStringLiteral("Restore a configuration backup"));
    std::reverse(backups_.begin(), backups_.end());  // newest first
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(
        QStringLiteral("Backups in %1, made before every write. The chosen one is shown against "
                       "the window's settings before anything is written.")
            .arg(QDir::toNativeSeparators(folder)),
        this));

    list_->setObjectName("BackupsList");
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setHeaderLabels({QStringLiteral("Made"), QStringLiteral("Station"),
                            QStringLiteral("Firmware"), QStringLiteral("USB serial"),
                            QStringLiteral("Image"), QStringLiteral("File")});
    for (std::size_t i = 0; i < backups_.size(); ++i) {
        const Backup& b = backups_[i];
        auto* row = new QTreeWidgetItem(
            list_,
            {b.time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), b.station(),
             b.firmware ? QString::asprintf("%.2f", *b.firmware / 100.0) : QString(), b.serial,
             b.damaged ? QStringLiteral("damaged") : QStringLiteral("good"), b.fileName()});
        row->setData(0, Qt::UserRole, static_cast<int>(i));
    }
    list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    if (list_->topLevelItemCount() > 0) {
        list_->setCurrentItem(list_->topLevelItem(0));
    }
    layout->addWidget(list_, 1);
    connect(list_, &QTreeWidget::itemActivated, this, &QDialog::accept);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Compare and restore\u2026"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(760, 380);
}

std::optional<Backup> BackupsWindow::chosen() const {
    const QTreeWidgetItem* item = list_->currentItem();
    if (result() != QDialog::Accepted || item == nullptr) {
        return std::nullopt;
    }
    return backups_[static_cast<std::size_t>(item->data(0, Qt::UserRole).toInt())];
}
