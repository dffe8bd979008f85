#pragma once
// The frame's four image buttons, made in one place so their look can change without the frame.

class QAbstractButton;
class QWidget;

namespace tvk::wizard {

// The button of `id` (kIdOk, kIdCancel, kIdNext, kIdBack): its four images, an empty caption, and an
// accessible name that says what it does, also its tooltip.
QAbstractButton* MakeFrameButton(QWidget* parent, int id);

}  // namespace tvk::wizard
