#include "controls/DateTimeEdits.h"

#include <initializer_list>

namespace tvk::detail {
namespace {

// The display format first, then the plain forms; AM/PM in either case.
QDateTime ReadWhole(const QLocale& locale, const QString& format, const QString& text, bool& exact,
                    std::initializer_list<const char*> plain, bool time) {
  exact = false;
  const QString trimmed = text.simplified();
  if (trimmed.isEmpty()) return {};
  const auto read = [&](const QString& f, const QString& t) -> QDateTime {
    if (time) {
      const QTime value = locale.toTime(t, f);
      return value.isValid() ? QDateTime(QDate(2000, 1, 1), value) : QDateTime();
    }
    const QDate value = locale.toDate(t, f);
    return value.isValid() ? QDateTime(value, QTime(0, 0)) : QDateTime();
  };
  if (QDateTime value = read(format, trimmed); value.isValid()) {
    exact = text == (time ? locale.toString(value.time(), format) : locale.toString(value.date(), format));
    return value;
  }
  if (QDateTime value = read(format, trimmed.toUpper()); value.isValid()) return value;
  for (const char* f : plain) {
    if (QDateTime value = read(QString::fromLatin1(f), trimmed); value.isValid()) return value;
  }
  return {};
}

}  // namespace

QDateTime ReadWholeTime(const QLocale& locale, const QString& format, const QString& text, bool& exact) {
  return ReadWhole(locale, format, text, exact, {"H:mm:ss", "H:mm"}, true);
}

QDateTime ReadWholeDate(const QLocale& locale, const QString& format, const QString& text, bool& exact) {
  return ReadWhole(locale, format, text, exact, {"yyyy-MM-dd"}, false);
}

bool PlausibleTyping(const QString& text) {
  if (text.size() > 40) return false;
  for (const QChar c : text) {
    if (!c.isLetterOrNumber() && !c.isSpace() && !c.isPunct()) return false;
  }
  return true;
}

}  // namespace tvk::detail
