#include "wizard/DlgWizardPage.h"

#include <QKeyEvent>

#include "wizard/TMDlgWizardFrame.h"

namespace tvk::wizard {

QWidget* FindControl(const QWidget* root, int controlId) {
  if (root == nullptr) return nullptr;
  const auto children = root->findChildren<QWidget*>();
  for (QWidget* child : children) {
    const QVariant id = child->property("controlId");
    if (id.isValid() && id.toInt() == controlId) return child;
  }
  return nullptr;
}

CDlgWizardPage::CDlgWizardPage(unsigned templateId, QWidget* parent) : QDialog(parent), templateId_(templateId) {
  // Shown inside the frame, not as a window of its own.
  setWindowFlags(Qt::Widget);
}

bool CDlgWizardPage::OnSetActive(int) { return true; }
bool CDlgWizardPage::OnKillActive(int) { return true; }
bool CDlgWizardPage::CanGoNext() { return true; }
bool CDlgWizardPage::CanGoBack() { return true; }
bool CDlgWizardPage::CanCancel() { return true; }
bool CDlgWizardPage::CanFinish() { return true; }

void CDlgWizardPage::keyPressEvent(QKeyEvent* event) {
  if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
    switch (event->key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter:
        accept();
        return;
      case Qt::Key_Escape:
        reject();
        return;
      default:
        break;
    }
  }
  QDialog::keyPressEvent(event);
}

void CDlgWizardPage::accept() {
  if (frame_ != nullptr) frame_->OnOkButton();
}

void CDlgWizardPage::reject() {
  if (frame_ != nullptr) frame_->OnCancelButton();
}

}  // namespace tvk::wizard
