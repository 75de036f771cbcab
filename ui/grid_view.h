#pragma once
#include <QAbstractTableModel>
#include <QStyledItemDelegate>
#include <QTableView>

#include "core/text_grid.h"

namespace kiroku::ui {

// A view model over a text grid. The grid's fixed row and column become the
// view's headers, so that they stay in place while the cells scroll.
class GridModel : public QAbstractTableModel, public GridObserver {
  Q_OBJECT

 public:
  GridModel(TStringGrid& grid, bool editable, QObject* parent = nullptr);
  ~GridModel() override;

  TStringGrid& grid() { return grid_; }
  int fixedRows() const { return grid_.fixedRows(); }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  void cellChanged(int col, int row) override;
  void shapeChanged() override;
  void currentRowChanged() override;

 signals:
  void geometryChanged();
  void currentRowMoved(int modelRow);

 private:
  TStringGrid& grid_;
  bool editable_;
  int rows_, cols_;
};

// Editors of grid cells take only what CP932 can hold.
class Cp932Delegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;
  void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
};

class GridView : public QTableView {
 public:
  GridView(TStringGrid& grid, bool editable, QWidget* parent);
  GridModel* gridModel() const { return model_; }

 private:
  void applyGeometry();
  void followCurrentRow(int modelRow);

  GridModel* model_;
  bool editable_;
  bool syncing_ = false;
};

}  // namespace kiroku::ui
