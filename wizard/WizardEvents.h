#pragma once
// The wizard's private window messages as posted Qt events, and the ids the frame and pages share.
// Worker threads post these with QCoreApplication::postEvent, which is safe from any thread.

#include <QEvent>

#include "controls/ControlId.h"

namespace tvk::wizard {

// Ids of the frame's buttons; the direction of a page change is the id of the button that caused it.
using tvk::kIdOk;
using tvk::kIdCancel;
constexpr int kIdNext = 10223;
constexpr int kIdBack = 10224;

// Templates of the sheet's pages.
constexpr int kTemplateLogList = 1002;
constexpr int kTemplateSelectMode = 1000;
constexpr int kTemplateReference = 1003;
constexpr int kTemplateSpecificGravity = 1004;
constexpr int kTemplateProcessing = 1005;

}  // namespace tvk::wizard
