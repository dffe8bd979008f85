#pragma once
// Base of every wizard page: a child dialog shown by the frame, with the activation hooks the frame
// calls when the user moves between pages. Enter and Escape inside a page act on the frame.

#include <QDialog>
#include <QVariant>

namespace tvk::wizard {

class CTMDlgWizardFrame;

// Finds the widget of a page template by its control id (the dynamic property "controlId").
QWidget* FindControl(const QWidget* root, int controlId);
template <class T>
T* Control(const QWidget* root, int controlId) {
  return qobject_cast<T*>(FindControl(root, controlId));
}

class CDlgWizardPage : public QDialog {
  Q_OBJECT

 public:
  explicit CDlgWizardPage(unsigned templateId, QWidget* parent = nullptr);

  unsigned TemplateId() const { return templateId_; }
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

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  // A page never ends itself; its OK and Cancel are the frame's.
  void accept() override;
  void reject() override;

 private:
  unsigned templateId_;
  bool skipped_ = false;
  CTMDlgWizardFrame* frame_ = nullptr;
};

}  // namespace tvk::wizard
