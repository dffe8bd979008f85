#include "controls/DateTimeEdits.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

#include <vector>

namespace tvk {
namespace {

enum class End { None, Enter, FocusOut, Escape };

// A picker in a window with a second field to move the focus to.
template <class Edit>
struct Window {
  QWidget window;
  Edit* edit = new Edit(&window);
  QLineEdit* other = new QLineEdit(&window);
  Window() {
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(edit);
    layout->addWidget(other);
    window.show();
    QApplication::setActiveWindow(&window);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    edit->setFocus();
    QCoreApplication::processEvents();
  }
  // Select all, type, and end the typing as `end` says.
  void Type(const char* text, End end) {
    edit->selectAll();
    QTest::keyClicks(edit, QString::fromLatin1(text));
    if (end == End::Enter) QTest::keyClick(edit, Qt::Key_Return);
    if (end == End::Escape) QTest::keyClick(edit, Qt::Key_Escape);
    if (end == End::FocusOut) other->setFocus();
  }
};

TEST(TimeEdit, ATimeTypedOverTheWholeTextLandsWhole) {
  struct Case {
    const char* format;
    const char* typed;
    End end;
    QTime expected;
  };
  const QTime before(7, 45, 30);
  const Case cases[] = {
      {"h:mm:ss AP", "11:20:05 PM", End::None, QTime(23, 20, 5)},  // complete in the display format
      {"h:mm:ss AP", "11:20:05", End::Enter, QTime(11, 20, 5)},
      {"h:mm:ss AP", "23:20:05", End::FocusOut, QTime(23, 20, 5)},
      {"h:mm:ss AP", "11:20:05 pm", End::Enter, QTime(23, 20, 5)},
      {"HH:mm:ss", "23:20:05", End::None, QTime(23, 20, 5)},
      {"HH:mm:ss", "11:20:05", End::None, QTime(11, 20, 5)},
      {"HH:mm:ss", "9:05", End::Enter, QTime(9, 5)},
      {"HH:mm:ss", "11:20", End::FocusOut, QTime(11, 20)},
      {"HH:mm:ss", "11:20:05", End::Escape, QTime(11, 20, 5)},  // taken when complete, before Escape
      {"HH:mm:ss", "11:2", End::Escape, before},
      {"HH:mm:ss", "half past", End::Enter, before},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.format) + " typed " + c.typed);
    Window<CTimeEdit> w;
    w.edit->setDisplayFormat(QString::fromLatin1(c.format));
    w.edit->setTime(before);
    std::vector<QTime> changes;
    QObject::connect(w.edit, &QTimeEdit::timeChanged, [&changes](QTime t) { changes.push_back(t); });
    w.Type(c.typed, c.end);
    const QTime expected = c.expected;
    EXPECT_EQ(w.edit->time().toString().toStdString(), expected.toString().toStdString());
    EXPECT_EQ(changes, expected == before ? std::vector<QTime>{} : std::vector<QTime>{expected});
    EXPECT_EQ(w.edit->text(), QLocale().toString(expected, QString::fromLatin1(c.format)));
    EXPECT_FALSE(w.edit->IsTypingWhole());
  }
}

TEST(TimeEdit, SectionEditingStaysAsItWas) {
  Window<CTimeEdit> w;
  w.edit->setDisplayFormat(QStringLiteral("HH:mm:ss"));
  w.edit->setTime(QTime(7, 45, 30));
  w.edit->setCurrentSection(QDateTimeEdit::MinuteSection);
  QTest::keyClick(w.edit, Qt::Key_Up);
  EXPECT_EQ(w.edit->time().toString().toStdString(), "07:46:30");
  EXPECT_FALSE(w.edit->IsTypingWhole());
}

TEST(DateEdit, ADateTypedOverTheWholeTextLandsWhole) {
  struct Case {
    const char* format;
    const char* typed;
    End end;
    QDate expected;
  };
  const QDate before(2024, 5, 17);
  const Case cases[] = {
      {"M/d/yyyy", "12/31/2023", End::None, QDate(2023, 12, 31)},
      {"M/d/yyyy", "2/3/2022", End::None, QDate(2022, 2, 3)},
      {"dd.MM.yyyy", "2024-02-29", End::Enter, QDate(2024, 2, 29)},
      {"dd.MM.yyyy", "31.02.2024", End::FocusOut, before},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.format) + " typed " + c.typed);
    Window<CDateEdit> w;
    w.edit->setDisplayFormat(QString::fromLatin1(c.format));
    w.edit->setDate(before);
    std::vector<QDate> changes;
    QObject::connect(w.edit, &QDateEdit::dateChanged, [&changes](QDate d) { changes.push_back(d); });
    w.Type(c.typed, c.end);
    EXPECT_EQ(w.edit->date().toString().toStdString(), c.expected.toString().toStdString());
    EXPECT_EQ(changes, c.expected == before ? std::vector<QDate>{} : std::vector<QDate>{c.expected});
  }
}

}  // namespace
}  // namespace tvk
