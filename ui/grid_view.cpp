#include "ui/grid_view.h"

#include <QHeaderView>
#include <QLineEdit>

#include "ui/cp932.h"

namespace kiroku::ui {

GridModel::GridModel(TStringGrid& grid, bool editable, QObject* parent)
    : QAbstractTableModel(parent),
      grid_(grid),
      editable_(editable),
      rows_(std::max(0, grid.rowCount() - grid.fixedRows())),
      cols_(std::max(0, grid.colCount() - grid.fixedCols())) {
  grid_.setObserver(this);
}

GridModel::~GridModel() { grid_.setObserver(nullptr); }

int GridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }
int GridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : cols_; }

QVariant GridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
  return FromCp932(grid_.cell(index.column() + grid_.fixedCols(), index.row() + grid_.fixedRows()));
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Horizontal)
    return grid_.fixedRows() > 0 ? FromCp932(grid_.cell(section + grid_.fixedCols(), 0)) : QVariant();
  return grid_.fixedCols() > 0 ? FromCp932(grid_.cell(0, section + grid_.fixedRows())) : QVariant();
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::EditRole || !editable_) return false;
  const QString text = value.toString();
  const int col = index.column() + grid_.fixedCols(), row = index.row() + grid_.fixedRows();
  // Unchanged text keeps its bytes, even ones that are not CP932.
  if (text == FromCp932(grid_.cell(col, row))) return true;
  grid_.setCell(col, row, SpliceCp932(grid_.cell(col, row), NormalizeForCp932(text)));
  return true;
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (editable_) f |= Qt::ItemIsEditable;
  return f;
}

void GridModel::cellChanged(int col, int row) {
  const int r = row - grid_.fixedRows(), c = col - grid_.fixedCols();
  if (r < 0 || c < 0) {
    if (r < 0 && c >= 0) emit headerDataChanged(Qt::Horizontal, c, c);
    if (c < 0 && r >= 0) emit headerDataChanged(Qt::Vertical, r, r);
    return;
  }
  if (r < rows_ && c < cols_) emit dataChanged(index(r, c), index(r, c));
}

void GridModel::shapeChanged() {
  const int rows = std::max(0, grid_.rowCount() - grid_.fixedRows());
  const int cols = std::max(0, grid_.colCount() - grid_.fixedCols());
  if (rows > rows_) {
    beginInsertRows({}, rows_, rows - 1);
    rows_ = rows;
    endInsertRows();
  } else if (rows < rows_) {
    beginRemoveRows({}, rows, rows_ - 1);
    rows_ = rows;
    endRemoveRows();
  }
  if (cols > cols_) {
    beginInsertColumns({}, cols_, cols - 1);
    cols_ = cols;
    endInsertColumns();
  } else if (cols < cols_) {
    beginRemoveColumns({}, cols, cols_ - 1);
    cols_ = cols;
    endRemoveColumns();
  }
  emit geometryChanged();
}

void GridModel::currentRowChanged() { emit currentRowMoved(grid_.row() - grid_.fixedRows()); }

QWidget* Cp932Delegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const {
  auto* editor = new Cp932LineEdit(parent);
  editor->setFrame(false);
  return editor;
}

void Cp932Delegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
  static_cast<Cp932LineEdit*>(editor)->setProgramText(index.data(Qt::EditRole).toString());
}

void Cp932Delegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const {
  model->setData(index, static_cast<Cp932LineEdit*>(editor)->text(), Qt::EditRole);
}

GridView::GridView(TStringGrid& grid, bool editable, QWidget* parent)
    : QTableView(parent), model_(new GridModel(grid, editable, this)), editable_(editable) {
  setModel(model_);
  setItemDelegate(new Cp932Delegate(this));
  setShowGrid(true);
  // The area past the last cell shows the grid's own colour, not the screen's.
  QPalette pal = palette();
  pal.setColor(QPalette::Window, pal.color(QPalette::Base));
  setPalette(pal);
  setAutoFillBackground(true);
  setCornerButtonEnabled(false);
  horizontalHeader()->setVisible(grid.fixedRows() > 0);
  verticalHeader()->setVisible(grid.fixedCols() > 0);
  horizontalHeader()->setSectionsClickable(false);
  verticalHeader()->setSectionsClickable(false);
  horizontalHeader()->setMinimumSectionSize(1);
  verticalHeader()->setMinimumSectionSize(1);
  horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  horizontalHeader()->setHighlightSections(false);
  verticalHeader()->setHighlightSections(false);
  if (editable) {
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setEditTriggers(QAbstractItemView::AllEditTriggers);
  } else {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
  }
  applyGeometry();
  connect(model_, &GridModel::geometryChanged, this, [this] { applyGeometry(); });
  connect(model_, &GridModel::currentRowMoved, this, [this](int r) { followCurrentRow(r); });
  connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) {
            // The operator's own choice of row is the grid's current row.
            if (syncing_ || !current.isValid()) return;
            syncing_ = true;
            model_->grid().setRow(current.row() + model_->fixedRows());
            syncing_ = false;
          });
  followCurrentRow(grid.row() - grid.fixedRows());
}

void GridView::applyGeometry() {
  const TStringGrid& g = model_->grid();
  for (int c = 0; c < model_->columnCount(); ++c) setColumnWidth(c, g.colWidth(c + g.fixedCols()));
  if (g.fixedCols() > 0) verticalHeader()->setFixedWidth(g.colWidth(0));
  if (g.fixedRows() > 0) horizontalHeader()->setFixedHeight(g.rowHeight(0));
  verticalHeader()->setDefaultSectionSize(g.rowHeight(g.fixedRows()));
  const int custom = std::min(model_->rowCount(), g.customRowHeights() - g.fixedRows());
  for (int r = 0; r < custom; ++r) {
    const int h = g.rowHeight(r + g.fixedRows());
    if (h != verticalHeader()->defaultSectionSize()) setRowHeight(r, h);
  }
}

void GridView::followCurrentRow(int modelRow) {
  if (syncing_ || modelRow < 0 || modelRow >= model_->rowCount()) return;
  syncing_ = true;
  const QModelIndex idx = model_->index(modelRow, 0);
  selectionModel()->setCurrentIndex(idx, editable_ ? QItemSelectionModel::NoUpdate
                                               : QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  scrollTo(idx);
  syncing_ = false;
}

}  // namespace kiroku::ui
