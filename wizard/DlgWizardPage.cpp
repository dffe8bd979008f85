#include "wizard/DlgWizardPage.h"

#include "wizard/TMDlgWizardFrame.h"

namespace tvk::wizard {

CDlgWizardPage::CDlgWizardPage(int templateId, QWidget* parent) : CTMDialog(templateId, parent) {
  // Shown inside the frame, not as a window of its own.
  setWindowFlags(Qt::Widget);
}

bool CDlgWizardPage::OnSetActive(int) { return true; }
bool CDlgWizardPage::OnKillActive(int) { return true; }
bool CDlgWizardPage::CanGoNext() { return true; }
bool CDlgWizardPage::CanGoBack() { return true; }
bool CDlgWizardPage::CanCancel() { return true; }
bool CDlgWizardPage::CanFinish() { return true; }
void CDlgWizardPage::AdjustButtons(CTMDlgWizardFrame&) {}

void CDlgWizardPage::OnOK() {
  if (frame_ != nullptr) frame_->OnOkButton();
}

void CDlgWizardPage::OnCancel() {
  if (frame_ != nullptr) frame_->OnCancelButton();
}

}  // namespace tvk::wizard
