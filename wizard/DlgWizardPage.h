#pragma once
// Base of every wizard page: a child dialog shown by the frame, with the activation hooks the frame
// calls when the user moves between pages. Enter and Escape inside a page act on the frame.

#include "controls/ControlId.h"
#include "controls/TMDialog.h"

namespace tvk::wizard {

class CTMDlgWizardFrame;

// The widget of a page template with `controlId` (its dynamic property "controlId").
template <class T = QWidget>
T* Control(const QWidget* root, int controlId) {
  return root != nullptr ? tvk::FindControl<T>(*root, controlId) : nullptr;
}

class CDlgWizardPage : public CTMDialog {
  Q_OBJECT

 public:
  explicit CDlgWizardPage(int templateId, QWidget* parent = nullptr);

  bool IsSkipped() const { return skipped_; }
  void SetSkipped(bool skipped) { skipped_ = skipped; }
  CTMDlgWizardFrame* Frame() const { return frame_; }
  void SetFrame(CTMDlgWizardFrame* frame) { frame_ = frame; }

  // `direction` is the id of the button that caused the move (kIdNext or kIdBack).
  virtual bool OnSetActive(int direction);
  // FALSE keeps the page.
  virtual bool OnKillActive(int direction);
  virtual bool CanGoNext();
  virtual bool CanGoBack();
  virtual bool CanCancel();
  virtual bool CanFinish();
  // The next log's pass is in place (or none is left): a page of the pass shows it.
  virtual void OnLogLoaded() {}
  // Called after the frame has set its buttons for this page, so a page that holds a button (a running
  // correction holds Back, OK and Cancel) has the last word, whatever moved the buttons.
  virtual void AdjustButtons(CTMDlgWizardFrame& frame);

  // A page never ends itself: Enter and Escape are the frame's OK and Cancel.
  void OnOK() override;
  void OnCancel() override;

 private:
  bool skipped_ = false;
  CTMDlgWizardFrame* frame_ = nullptr;
};

}  // namespace tvk::wizard
