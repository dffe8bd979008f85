#pragma once
// A generic wizard: one window that shows one page at a time above a row of four image buttons
// (Cancel, Back, Next, OK). It keeps the page order, lets pages be skipped, asks the pages before every
// move and ends with OK or Cancel. It does not own its pages.

#include <vector>

#include "controls/TMDialog.h"

class QAbstractButton;
class QLabel;

namespace tvk::wizard {

class CDlgWizardPage;

class CTMDlgWizardFrame : public CTMDialog {
  Q_OBJECT

 public:
  // Height of the button row below the pages.
  static constexpr int kButtonRowHeight = 57;

  explicit CTMDlgWizardFrame(QWidget* parent = nullptr);
  ~CTMDlgWizardFrame() override;

  bool AddPage(CDlgWizardPage* page);
  bool RemovePage(int index);
  bool SetActivePage(CDlgWizardPage* page, int direction);
  int GetNextPageIndex() const;
  int GetPrevPageIndex() const;
  void UpdateButtons();
  // Says why the current page cannot be left, below it beside the buttons, until the page changes.
  void ShowRefusal(const QString& reason);
  QString Refusal() const;
  void SetPageSkipped(int templateId, bool skip);
  void ClosePages();

  // Asks CanFinish / CanCancel of every page that is not skipped; on the first refusal shows that page
  // (as if going back) and returns false.
  virtual bool FinishCheck();
  virtual bool CancelCheck();

  // The four buttons by id: kIdOk, kIdCancel, kIdNext, kIdBack.
  QAbstractButton* Button(int id) const;
  CDlgWizardPage* CurrentPage() const { return current_; }
  const std::vector<CDlgWizardPage*>& Pages() const { return pages_; }
  int PageIndex(const CDlgWizardPage* page) const;
  bool WindowCreated() const { return created_; }
  void SetWrapAround(bool wrap) { wrapAround_ = wrap; }
  bool WrapAround() const { return wrapAround_; }

  // The button actions; pages route Enter and Escape here.
  void OnNextButton();
  void OnBackButton();
  void OnOkButton();
  void OnCancelButton();

  void OnOK() override;
  void OnCancel() override;

  // Lets go of every page at once, without messages; an owner of pages calls it before they die.
  void DetachPages();

  // Creates the page windows and lays the frame out; done once, when the frame is first shown.
  void InitDialog();

 protected:
  // What OK does when the pages agree: close the pages and end the dialog with OK.
  virtual void OkAction();
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  void reject() override;
  void accept() override;

 private:
  void CreatePageWindow(CDlgWizardPage* page);
  void LayOut();
  void PlaceButtons();
  void ShowPage(CDlgWizardPage* page, int direction);

  std::vector<CDlgWizardPage*> pages_;
  CDlgWizardPage* current_ = nullptr;
  bool wrapAround_ = false;
  bool created_ = false;
  QAbstractButton* ok_ = nullptr;
  QAbstractButton* cancel_ = nullptr;
  QAbstractButton* next_ = nullptr;
  QAbstractButton* back_ = nullptr;
  QLabel* refusal_ = nullptr;
};

}  // namespace tvk::wizard
