#include "app/field_marks.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStyle>
#include <QTabWidget>
#include <vector>

#include "app/sub_page_control.h"
#include "app/widget_form.h"
#include "image/encoder.h"
#include "image/layout.h"

namespace {

const char* const kMarkedStyle = "border: 2px solid #d32f2f; border-radius: 2px;";
const char* const kWarnedStyle = "border: 2px dashed #f9a825; border-radius: 2px;";

// A warning for text that the tracker takes but that may not reach others as typed: APRS
// carries ASCII, and receivers read the upper half of the 8-bit range each their own way.
QString outsideAsciiWarning(const SettingDef& def, const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() >= 0x80 && c.unicode() <= 0xFF) {
            return QStringLiteral(
                       "%1 - \"%2\" is not ASCII: APRS carries ASCII, so other "
                       "stations may show it differently.")
                .arg(settingTitle(def), c);
        }
    }
    return {};
}

QIcon warningIcon() {
    return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
}

}  // namespace

FieldMarks::FieldMarks(WidgetForm& form, QTabWidget* pages,
                       std::map<Page, SubPageControl*> subPages, QObject* parent)
    : QObject(parent), form_(form), pages_(pages), subPages_(std::move(subPages)) {}

void FieldMarks::watch() {
    for (const SettingDef& def : settings()) {
        if (!def.isText()) {
            continue;  // a choice holds no value that could be refused
        }
        QWidget* widget = form_.widget(def.name);
        const auto changed = [this, name = def.name] {
            check(name);
            if (const std::string* partner = addressPartner(name)) {
                check(*partner);
            }
            updatePageIcons();
        };
        if (auto* line = qobject_cast<QLineEdit*>(widget)) {
            connect(line, &QLineEdit::textChanged, this, changed);
        } else if (auto* text = qobject_cast<QPlainTextEdit*>(widget)) {
            connect(text, &QPlainTextEdit::textChanged, this, changed);
        }
        check(def.name);
    }
    updatePageIcons();
}

QString FieldMarks::problem(std::string_view setting) const {
    const auto it = problems_.find(setting);
    return it == problems_.end() ? QString() : it->second;
}

bool FieldMarks::marked(Page page, const std::string& subPage) const {
    for (const auto& [name, message] : problems_) {
        const SettingDef& def = setting(name);
        if (def.page == page && (subPage.empty() || def.subPage == subPage)) {
            return true;
        }
    }
    return false;
}

void FieldMarks::check(const std::string& setting) {
    const std::vector<SettingProblem> found = CheckSetting(form_, setting);
    if (!found.empty()) {
        mark(setting, found.front().message, true);
    } else {
        mark(setting, outsideAsciiWarning(::setting(setting), form_.text(setting)), false);
    }
}

void FieldMarks::mark(const std::string& setting, const QString& message, bool refused) {
    auto& kept = refused ? problems_ : warnings_;
    auto& other = refused ? warnings_ : problems_;
    other.erase(setting);
    const auto it = kept.find(setting);
    const QString before = it == kept.end() ? QString() : it->second;
    QWidget* widget = form_.widget(setting);
    if (message.isEmpty()) {
        if (it != kept.end()) {
            kept.erase(it);
        }
        if (tooltips_.count(setting) != 0 && !problems_.count(setting) &&
            !warnings_.count(setting)) {
            widget->setStyleSheet(QString());
            widget->setToolTip(tooltips_[setting]);
            tooltips_.erase(setting);
        }
        return;
    }
    if (tooltips_.count(setting) == 0) {
        tooltips_[setting] = widget->toolTip();
    }
    widget->setStyleSheet(QString::fromLatin1(refused ? kMarkedStyle : kWarnedStyle));
    kept[setting] = message;
    // The field's name in front, as lists of problems give it.
    widget->setToolTip(settingPlace(::setting(setting)) + QStringLiteral(": ") + message);
}

QString FieldMarks::warning(std::string_view setting) const {
    const auto it = warnings_.find(setting);
    return it == warnings_.end() ? QString() : it->second;
}

void FieldMarks::updatePageIcons() {
    for (int i = 0; i < pages_->count(); ++i) {
        const auto page = static_cast<Page>(i);  // the tabs stand in the order of the pages
        pages_->setTabIcon(i, marked(page) ? warningIcon() : QIcon());
        const auto sub = subPages_.find(page);
        if (sub == subPages_.end()) {
            continue;
        }
        const QStringList captions = sub->second->captions();
        for (int k = 0; k < captions.size(); ++k) {
            // An icon no taller than the caption, so that the button keeps its height.
            const int side = sub->second->button(k)->fontMetrics().ascent();
            sub->second->button(k)->setIconSize(QSize(side, side));
            sub->second->button(k)->setIcon(marked(page, captions[k].toStdString()) ? warningIcon()
                                                                                    : QIcon());
        }
    }
}
