#pragma once

#include <QStringList>
#include <QWidget>

class QAbstractButton;
class QButtonGroup;
class QHBoxLayout;
class QStackedWidget;

// Sub-pages chosen by a row of buttons above them; the control fills its page.
class SubPageControl : public QWidget {
    Q_OBJECT
  public:
    explicit SubPageControl(QWidget* parent = nullptr);

    // Adds a sub-page with its button caption; the first one added is shown.
    void addPage(QWidget* page, const QString& caption);

    int count() const;
    int currentIndex() const;
    void setCurrentIndex(int index);
    QWidget* page(int index) const;
    QAbstractButton* button(int index) const;
    QStringList captions() const;

  private:
    QButtonGroup* buttons_;
    QStackedWidget* stack_;
    QHBoxLayout* buttonRow_;
};
