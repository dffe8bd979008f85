#pragma once
// Control ids of the dialog templates, carried by each widget so code and tests find a control by its id.

#include <QObject>
#include <QString>
#include <QWidget>

namespace tvk {

inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

// Sets the object name (the id in decimal) and the dynamic property "controlId".
void SetControlId(QWidget& widget, int id);

// The widget's "controlId" property, or -1 when it has none.
[[nodiscard]] int ControlId(const QObject& object);

// The first descendant of `parent` of type T carrying `id`, or nullptr.
template <class T = QWidget>
[[nodiscard]] T* FindControl(const QWidget& parent, int id) {
  for (T* child : parent.findChildren<T*>()) {
    if (ControlId(*child) == id) {
      return child;
    }
  }
  return nullptr;
}

}  // namespace tvk
