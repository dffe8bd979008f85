#include "wizard/TMDlgWizardFrame.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QLabel>
#include <QEvent>
#include <QMetaObject>
#include <QPushButton>
#include <algorithm>

#include "wizard/DlgWizardPage.h"
#include "wizard/FrameButtons.h"
#include "wizard/WizardEvents.h"

namespace tvk::wizard {

namespace {
constexpr int kFrameTemplate = 10002;
}

CTMDlgWizardFrame::CTMDlgWizardFrame(QWidget* parent) : CTMDialog(kFrameTemplate, parent) {
  cancel_ = MakeFrameButton(this, kIdCancel);
  back_ = MakeFrameButton(this, kIdBack);
  next_ = MakeFrameButton(this, kIdNext);
  ok_ = MakeFrameButton(this, kIdOk);
  connect(cancel_, &QAbstractButton::clicked, this, &CTMDlgWizardFrame::OnCancelButton);
  connect(back_, &QAbstractButton::clicked, this, &CTMDlgWizardFrame::OnBackButton);
  connect(next_, &QAbstractButton::clicked, this, &CTMDlgWizardFrame::OnNextButton);
  connect(ok_, &QAbstractButton::clicked, this, &CTMDlgWizardFrame::OnOkButton);
  ok_->setEnabled(false);
  back_->setEnabled(false);
  refusal_ = new QLabel(this);
  refusal_->setObjectName(QStringLiteral("refusal"));
  refusal_->setWordWrap(true);
  refusal_->setTextFormat(Qt::PlainText);
  refusal_->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
  refusal_->setStyleSheet(QStringLiteral("color: #b00020;"));
  refusal_->hide();
}

CTMDlgWizardFrame::~CTMDlgWizardFrame() {
  // The pages are not ours: let them go before the children are deleted.
  DetachPages();
}

void CTMDlgWizardFrame::DetachPages() {
  for (CDlgWizardPage* page : pages_) {
    page->SetFrame(nullptr);
    if (page->parent() == this) page->setParent(nullptr);
  }
  pages_.clear();
  current_ = nullptr;
}

QAbstractButton* CTMDlgWizardFrame::Button(int id) const {
  switch (id) {
    case kIdOk:
      return ok_;
    case kIdCancel:
      return cancel_;
    case kIdNext:
      return next_;
    case kIdBack:
      return back_;
    default:
      return nullptr;
  }
}

int CTMDlgWizardFrame::PageIndex(const CDlgWizardPage* page) const {
  const auto found = std::find(pages_.begin(), pages_.end(), page);
  return found == pages_.end() ? -1 : static_cast<int>(found - pages_.begin());
}

bool CTMDlgWizardFrame::AddPage(CDlgWizardPage* page) {
  if (page == nullptr) return false;
  pages_.push_back(page);
  if (created_) {
    CreatePageWindow(page);
    LayOut();
    if (pages_.size() == 1) ShowPage(page, kIdNext);
    UpdateButtons();
  }
  return true;
}

bool CTMDlgWizardFrame::RemovePage(int index) {
  if (index < 0 || index >= static_cast<int>(pages_.size())) return false;
  CDlgWizardPage* page = pages_[static_cast<std::size_t>(index)];
  page->SetFrame(nullptr);
  pages_.erase(pages_.begin() + index);
  if (page == current_) {
    current_ = nullptr;
    if (!pages_.empty() && index < static_cast<int>(pages_.size())) {
      SetActivePage(pages_[static_cast<std::size_t>(index)], kIdNext);
    }
  }
  if (page->parent() == this) QMetaObject::invokeMethod(page, &QWidget::close, Qt::QueuedConnection);
  return true;
}

bool CTMDlgWizardFrame::SetActivePage(CDlgWizardPage* page, int direction) {
  if (!created_ || page == nullptr) return false;
  if (page == current_) return true;
  if (current_ != nullptr && !current_->OnKillActive(direction)) return false;
  ShowPage(page, direction);
  return true;
}

void CTMDlgWizardFrame::ShowRefusal(const QString& reason) {
  refusal_->setText(reason);
  refusal_->setVisible(!reason.isEmpty());
  if (reason.isEmpty()) return;
  refusal_->raise();
  // A screen reader says it at once, as it would a message box.
  QAccessibleEvent alert(refusal_, QAccessible::Alert);
  QAccessible::updateAccessibility(&alert);
}

QString CTMDlgWizardFrame::Refusal() const { return refusal_->isVisible() ? refusal_->text() : QString(); }

void CTMDlgWizardFrame::ShowPage(CDlgWizardPage* page, int direction) {
  ShowRefusal({});
  if (current_ != nullptr) current_->hide();
  page->show();
  current_ = page;
  UpdateButtons();
  page->OnSetActive(direction);
}

int CTMDlgWizardFrame::GetNextPageIndex() const {
  const int count = static_cast<int>(pages_.size());
  if (count == 0) return -1;
  const int c = PageIndex(current_);
  int i = c + 1;
  // Every page is looked at once at most, so a wrapping frame whose pages are all skipped ends too.
  for (int steps = 0; steps < count; ++steps) {
    if (i >= count) {
      if (!wrapAround_) return -1;
      i = 0;
    }
    if (i == c) return -1;
    if (!pages_[static_cast<std::size_t>(i)]->IsSkipped()) return i;
    ++i;
  }
  return -1;
}

int CTMDlgWizardFrame::GetPrevPageIndex() const {
  const int c = PageIndex(current_);
  if (pages_.empty() || c <= 0) return -1;
  for (int i = c - 1; i >= 0; --i) {
    if (!pages_[static_cast<std::size_t>(i)]->IsSkipped()) return i;
  }
  return -1;
}

void CTMDlgWizardFrame::UpdateButtons() {
  if (!created_) return;
  const int next = GetNextPageIndex();
  back_->setEnabled(GetPrevPageIndex() >= 0);
  next_->setEnabled(next >= 0);
  ok_->setEnabled(next < 0);
  if (current_ != nullptr) current_->AdjustButtons(*this);
}

void CTMDlgWizardFrame::SetPageSkipped(int templateId, bool skip) {
  const auto found = std::find_if(pages_.begin(), pages_.end(),
                                  [templateId](const CDlgWizardPage* p) { return p->TemplateId() == templateId; });
  if (found == pages_.end()) return;
  (*found)->SetSkipped(skip);
  UpdateButtons();
}

void CTMDlgWizardFrame::ClosePages() {
  for (CDlgWizardPage* page : pages_) {
    if (page->parent() == this) QMetaObject::invokeMethod(page, &QWidget::close, Qt::QueuedConnection);
  }
  pages_.clear();
  current_ = nullptr;
  wrapAround_ = false;
}

bool CTMDlgWizardFrame::FinishCheck() {
  for (CDlgWizardPage* page : pages_) {
    if (!page->IsSkipped() && !page->CanFinish()) {
      SetActivePage(page, kIdBack);
      return false;
    }
  }
  return true;
}

bool CTMDlgWizardFrame::CancelCheck() {
  for (CDlgWizardPage* page : pages_) {
    if (!page->IsSkipped() && !page->CanCancel()) {
      SetActivePage(page, kIdBack);
      return false;
    }
  }
  return true;
}

void CTMDlgWizardFrame::OnNextButton() {
  if (current_ != nullptr && !current_->CanGoNext()) return;
  const int next = GetNextPageIndex();
  if (next >= 0) SetActivePage(pages_[static_cast<std::size_t>(next)], kIdNext);
}

void CTMDlgWizardFrame::OnBackButton() {
  if (current_ != nullptr && !current_->CanGoBack()) return;
  const int prev = GetPrevPageIndex();
  if (prev >= 0) SetActivePage(pages_[static_cast<std::size_t>(prev)], kIdBack);
}

void CTMDlgWizardFrame::OnOkButton() {
  if (!FinishCheck()) return;
  if (!wrapAround_) {
    OkAction();
    return;
  }
  if (current_ == nullptr || current_->CanGoNext()) OnNextButton();
}

void CTMDlgWizardFrame::OnCancelButton() {
  if (!CancelCheck()) return;
  ClosePages();
  done(QDialog::Rejected);
}

void CTMDlgWizardFrame::OkAction() {
  ClosePages();
  done(QDialog::Accepted);
}

void CTMDlgWizardFrame::OnOK() { OnOkButton(); }
void CTMDlgWizardFrame::OnCancel() { OnCancelButton(); }
void CTMDlgWizardFrame::reject() { OnCancelButton(); }
void CTMDlgWizardFrame::accept() { OnOkButton(); }

void CTMDlgWizardFrame::CreatePageWindow(CDlgWizardPage* page) {
  if (page->parent() != this) page->setParent(this, Qt::Widget);
  page->SetFrame(this);
  page->move(0, 0);
  page->hide();
}

void CTMDlgWizardFrame::PlaceButtons() {
  // Cancel on the left; Back, Next and OK together on the right, as the eye reads the pass.
  const int margin = 12;
  const int y = height() - kButtonRowHeight + (kButtonRowHeight - cancel_->sizeHint().height()) / 2;
  cancel_->move(margin, y);
  int x = width() - margin;
  for (QAbstractButton* b : {ok_, next_, back_}) {
    x -= b->sizeHint().width();
    b->move(x, y);
    x -= 8;
  }
  for (QAbstractButton* b : {cancel_, back_, next_, ok_}) b->resize(b->sizeHint());
  // A refusal reads between Cancel and the buttons that move on.
  const int left = cancel_->x() + cancel_->sizeHint().width() + margin;
  refusal_->setGeometry(left, height() - kButtonRowHeight, back_->x() - margin - left, kButtonRowHeight);
}

void CTMDlgWizardFrame::LayOut() {
  int width = 0;
  int height = 0;
  for (CDlgWizardPage* page : pages_) {
    width = std::max(width, page->width());
    height = std::max(height, page->height());
  }
  SetClientSize(std::max(width, 320), height + kButtonRowHeight);
  setFixedSize(size());
  PlaceButtons();
  // Tab order: the page's controls top to bottom, then the buttons left to right. The buttons were made
  // before the pages joined the window, so they move to the end of the focus chain.
  QWidget* last = this;
  for (QWidget* w = nextInFocusChain(); w != nullptr && w != this; w = w->nextInFocusChain()) last = w;
  if (last != ok_ && last != this) QWidget::setTabOrder(last, cancel_);
  QWidget::setTabOrder(cancel_, back_);
  QWidget::setTabOrder(back_, next_);
  QWidget::setTabOrder(next_, ok_);
}

void CTMDlgWizardFrame::InitDialog() {
  if (created_) return;
  created_ = true;
  ok_->setEnabled(false);
  back_->setEnabled(false);
  for (CDlgWizardPage* page : pages_) CreatePageWindow(page);
  LayOut();
  CenterWindow();
  if (!pages_.empty()) SetActivePage(pages_.front(), kIdNext);
  if (auto* next = qobject_cast<QPushButton*>(next_)) next->setDefault(true);
}

void CTMDlgWizardFrame::showEvent(QShowEvent* event) {
  InitDialog();
  CTMDialog::showEvent(event);
}

void CTMDlgWizardFrame::changeEvent(QEvent* event) {
  CTMDialog::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow() && current_ != nullptr &&
      current_->IsSkipped()) {
    const int next = GetNextPageIndex();
    if (next >= 0) SetActivePage(pages_[static_cast<std::size_t>(next)], kIdNext);
  }
}

}  // namespace tvk::wizard
