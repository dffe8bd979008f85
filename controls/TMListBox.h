#pragma once
// List box over a model with uniform row heights, so a million lines cost no more than the rows shown.
// Lines added with AddString live in the list box's own string model; a page may instead set a model of
// its own that formats a row only when the view asks for it.

#include <QAbstractListModel>
#include <QListView>
#include <QString>
#include <QStringList>
#include <vector>

namespace tvk {

// The lines of a CTMListBox: plain strings, appended one at a time or in bulk.
class ListBoxModel : public QAbstractListModel {
  Q_OBJECT

 public:
  using QAbstractListModel::QAbstractListModel;

  [[nodiscard]] int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;

  int Insert(int row, const QString& text);
  int Append(const QStringList& lines);
  bool Remove(int row);
  void Clear();
  [[nodiscard]] const QString& At(int row) const { return lines_[static_cast<std::size_t>(row)]; }

 private:
  std::vector<QString> lines_;
};

class CTMListBox : public QListView {
  Q_OBJECT

 public:
  explicit CTMListBox(QWidget* parent = nullptr);

  // Appends a line and returns its index; -1 while a model of the caller's is shown.
  int AddString(const QString& text);
  // Appends many lines at once; returns the index of the first, or -1.
  int AddStrings(const QStringList& lines);
  // Inserts before `index` (-1 appends); returns the index or -1.
  int InsertString(int index, const QString& text);
  // Removes a line; returns the count left, or -1 for an index out of range.
  int DeleteString(int index);
  void ResetContent();

  [[nodiscard]] int GetCount() const;
  // The display text of a row of whatever model is shown; empty out of range.
  [[nodiscard]] QString GetText(int index) const;
  // Selects a row and scrolls to it; -1 clears the selection.
  void SetCurSel(int index);
  [[nodiscard]] int GetCurSel() const;
  [[nodiscard]] int GetTopIndex() const;
  void SetTopIndex(int index);

  // Scroll to every new line. Off unless set.
  void SetAutoScroll(bool on) { autoScroll_ = on; }
  [[nodiscard]] bool AutoScroll() const { return autoScroll_; }
  // Widen the horizontal scroll extent to the widest line added, in the list's font. Off unless set;
  // without it there is no horizontal scrolling, as in a plain list box.
  void SetExtentTracking(bool on);
  [[nodiscard]] bool ExtentTracking() const { return extentTracking_; }
  [[nodiscard]] int GetHorizontalExtent() const { return horizontalExtent_; }
  void SetHorizontalExtent(int pixels);

  // The list box's own model; shown again by UseStringModel after a model of the caller's.
  [[nodiscard]] ListBoxModel& StringModel() { return strings_; }
  void UseStringModel();
  [[nodiscard]] bool ShowsStringModel() const { return model() == &strings_; }

 signals:
  // The selected row changed (-1 for none).
  void selChange(int index);

 protected:
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Added(int first, int last);
  void UpdateScrollPolicy();

  ListBoxModel strings_;
  bool autoScroll_ = false;
  bool extentTracking_ = false;
  int horizontalExtent_ = 0;
};

}  // namespace tvk
