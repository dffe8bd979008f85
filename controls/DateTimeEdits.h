#pragma once
// Date and time pickers that take a typed value whole. The item's own editing works section by
// section: with the whole text selected, typing "11:20:05" lands digit by digit in whatever section
// the cursor reaches and the hour is lost. Here typing over the whole text (or into an empty field)
// edits it as plain text; it is read as one value when it is complete in the display format, or on
// Enter or leaving the field, where plain forms are read too (H:mm:ss, H:mm for a time, yyyy-MM-dd for
// a date). Escape, or a text that reads as nothing, restores the shown value. Section editing stays as
// it was otherwise. The value changes once, with the whole typed value.

#include <QDateEdit>
#include <QDateTime>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTimeEdit>

#include <type_traits>

namespace tvk {

namespace detail {

// Reads `text` whole as a value of the edit (a time or a date); invalid when it is none. `exact` is set
// when the text is the display format's own form of that value.
QDateTime ReadWholeTime(const QLocale& locale, const QString& format, const QString& text, bool& exact);
QDateTime ReadWholeDate(const QLocale& locale, const QString& format, const QString& text, bool& exact);
bool PlausibleTyping(const QString& text);

template <class Base, QDateTime (*Read)(const QLocale&, const QString&, const QString&, bool&)>
class WholeTyping : public Base {
 public:
  using Base::Base;

  [[nodiscard]] bool IsTypingWhole() const { return whole_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    QLineEdit* edit = this->lineEdit();
    const QString typed = event->text();
    const bool printable = !typed.isEmpty() && typed.at(0).isPrint() &&
                           !(event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier));
    if (!whole_ && printable && !this->isReadOnly() &&
        (edit->text().isEmpty() || (edit->hasSelectedText() && edit->selectedText() == edit->text()))) {
      whole_ = true;
      typed_.clear();
    }
    if (!whole_) {
      Base::keyPressEvent(event);
      return;
    }
    switch (event->key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter:
        // As the item does on Enter, but without telling the value again when it did not change.
        Commit();
        this->selectAll();
        event->ignore();
        emit this->editingFinished();
        return;
      case Qt::Key_Up:
      case Qt::Key_Down:
      case Qt::Key_PageUp:
      case Qt::Key_PageDown:
        Commit();
        Base::keyPressEvent(event);
        return;
      case Qt::Key_Escape:
        Abandon();
        event->accept();
        return;
      case Qt::Key_Backspace:
        typed_.chop(1);
        break;
      default:
        if (printable) typed_ += typed;
        break;
    }
    event->accept();
    {
      // The edit's own handlers would read the partial text by sections and put the value back.
      const QSignalBlocker quiet(edit);
      edit->setText(typed_);
    }
    bool exact = false;
    if (Read(this->locale(), this->displayFormat(), typed_, exact).isValid() && exact) Commit();
  }

  void focusOutEvent(QFocusEvent* event) override {
    if (whole_) Commit();
    Base::focusOutEvent(event);
  }

  QValidator::State validate(QString& input, int& pos) const override {
    if (whole_) return PlausibleTyping(input) ? QValidator::Intermediate : QValidator::Invalid;
    return Base::validate(input, pos);
  }

 private:
  // Takes the typed text as the value, or restores the shown value when it reads as none.
  void Commit() {
    if (!whole_) return;
    whole_ = false;
    bool exact = false;
    const QDateTime value = Read(this->locale(), this->displayFormat(), typed_, exact);
    if (!value.isValid()) {
      Restore();
      return;
    }
    if constexpr (std::is_base_of_v<QTimeEdit, Base>) {
      this->setTime(value.time());
    } else {
      this->setDate(value.date());
    }
    Restore();  // the value's own text, also when it did not change
  }
  void Abandon() {
    whole_ = false;
    Restore();
  }
  void Restore() {
    this->lineEdit()->setText(this->textFromDateTime(this->dateTime()));
    this->lineEdit()->setCursorPosition(this->lineEdit()->text().size());
  }

  bool whole_ = false;
  QString typed_;
};

}  // namespace detail

class CTimeEdit : public detail::WholeTyping<QTimeEdit, &detail::ReadWholeTime> {
  Q_OBJECT

 public:
  explicit CTimeEdit(QWidget* parent = nullptr) : WholeTyping(parent) {}
};

class CDateEdit : public detail::WholeTyping<QDateEdit, &detail::ReadWholeDate> {
  Q_OBJECT

 public:
  explicit CDateEdit(QWidget* parent = nullptr) : WholeTyping(parent) {}
};

}  // namespace tvk
