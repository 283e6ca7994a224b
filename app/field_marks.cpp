#include "app/field_marks.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
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
const char* const kDefaultStyle = "border: 2px dotted #1976d2; border-radius: 2px;";

// A warning for text that the tracker takes but that may not reach others as typed: APRS
// carries ASCII, and receivers read the upper half of the 8-bit range each their own way.
// (Characters the tracker cannot store at all are refused before this is asked.)
QString outsideAsciiWarning(const SettingDef& def, const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() >= 0x80) {
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
        QWidget* widget = form_.widget(def.name);
        const auto onChange = [this, name = def.name] { changed(name); };
        if (auto* line = qobject_cast<QLineEdit*>(widget)) {
            connect(line, &QLineEdit::textChanged, this, onChange);
        } else if (auto* text = qobject_cast<QPlainTextEdit*>(widget)) {
            connect(text, &QPlainTextEdit::textChanged, this, onChange);
        } else if (auto* choice = qobject_cast<QComboBox*>(widget)) {
            connect(choice, &QComboBox::currentIndexChanged, this, onChange);
            connect(choice, &QComboBox::editTextChanged, this, onChange);
        }
        if (def.isText()) {
            check(def.name);  // a choice holds no value that could be refused
        }
    }
    updatePageIcons();
}

void FieldMarks::changed(const std::string& setting) {
    // A changed field no longer holds the default it was marked for.
    defaults_.erase(setting);
    if (::setting(setting).isText()) {
        check(setting);
        if (const std::string* partner = addressPartner(setting)) {
            check(*partner);
        }
    } else {
        show(setting);
    }
    updatePageIcons();
}

void FieldMarks::markDefaultsUsed(const std::vector<UnreadValue>& unread) {
    std::map<std::string, QString, std::less<>> before;
    before.swap(defaults_);
    for (const UnreadValue& value : unread) {
        defaults_.emplace(value.setting, value.text);  // the first reason of a field
    }
    for (const auto& [name, text] : before) {
        show(name);
    }
    for (const auto& [name, text] : defaults_) {
        show(name);
    }
    updatePageIcons();
}

QString FieldMarks::defaultUsed(std::string_view setting) const {
    const auto it = defaults_.find(setting);
    return it == defaults_.end() ? QString() : it->second;
}

std::vector<std::string> FieldMarks::settingsWithDefaults() const {
    std::vector<std::string> names;
    for (const SettingDef& def : settings()) {
        if (defaults_.count(def.name) != 0) {
            names.push_back(def.name);
        }
    }
    return names;
}

QString FieldMarks::problem(std::string_view setting) const {
    const auto it = problems_.find(setting);
    return it == problems_.end() ? QString() : it->second;
}

bool FieldMarks::marked(Page page, const std::string& subPage) const {
    for (const auto* marks : {&problems_, &defaults_}) {
        for (const auto& [name, message] : *marks) {
            const SettingDef& def = setting(name);
            if (def.page == page && (subPage.empty() || def.subPage == subPage)) {
                return true;
            }
        }
    }
    return false;
}

void FieldMarks::check(const std::string& setting) {
    problems_.erase(setting);
    warnings_.erase(setting);
    const std::vector<SettingProblem> found = CheckSetting(form_, setting);
    if (!found.empty()) {
        problems_[setting] = found.front().message;
    } else if (const QString warning = outsideAsciiWarning(::setting(setting), form_.text(setting));
               !warning.isEmpty()) {
        warnings_[setting] = warning;
    }
    show(setting);
}

void FieldMarks::show(const std::string& setting) {
    QWidget* widget = form_.widget(setting);
    const char* style = nullptr;
    QString message;
    if (const QString problem = this->problem(setting); !problem.isEmpty()) {
        style = kMarkedStyle;
        message = problem;
    } else if (const QString used = defaultUsed(setting); !used.isEmpty()) {
        style = kDefaultStyle;
        message = used;
    } else if (const QString warned = warning(setting); !warned.isEmpty()) {
        style = kWarnedStyle;
        message = warned;
    }
    if (style == nullptr) {
        if (const auto it = tooltips_.find(setting); it != tooltips_.end()) {
            widget->setStyleSheet(QString());
            widget->setToolTip(it->second);
            tooltips_.erase(it);
        }
        return;
    }
    if (tooltips_.count(setting) == 0) {
        tooltips_[setting] = widget->toolTip();
    }
    widget->setStyleSheet(QString::fromLatin1(style));
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
