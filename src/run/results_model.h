#pragma once

#include "engine/verdict.h"

#include <QAbstractTableModel>
#include <QString>
#include <array>
#include <memory>
#include <vector>

namespace orvane {

// Columns of the results list: the row caption (the page address) and its sub-items.
enum ResultColumn {
    UrlColumn = 0,
    FoundColumn,
    VerdictColumn,
    AnchorTextColumn,
    UrlFoundColumn,
    StatusColumn,
    FileSizeColumn,
    DateCheckedColumn,
    LinkTypeColumn,
    RobotsColumn,
    RedirectedToColumn,
    ResultColumnCount
};

// Sub-item indexes, as the rows have always numbered them (column = sub-item + 1).
enum SubItem {
    FoundSubItem = 0,
    VerdictSubItem,
    AnchorTextSubItem,
    UrlFoundSubItem,
    StatusSubItem,
    FileSizeSubItem,
    DateCheckedSubItem,
    LinkTypeSubItem,
    RobotsSubItem,
    RedirectedToSubItem,
    SubItemCount
};

// Small-image indexes of a row.
enum RowImage { ImageOn = 0, ImageFound = 1, ImageNotFound = 2, ImagePending = 3 };

struct ResultRow
{
    quint64 id = 0; // unique for the life of the model, increasing in row order
    QString caption;
    std::array<QString, SubItemCount> subItems;
    int imageIndex = ImagePending;
    QString canonical; // named in the Robots cell's tooltip
    Verdict verdict = Verdict::None;
    QString verdictNote; // added to the Verdict cell's tooltip
};

class ResultsModel;

// Outlives its model; the model clears it when it goes. Only the GUI thread reads it, but workers
// may hold (and drop) references to it on their own threads.
struct ResultsModelAnchor
{
    ResultsModel *model = nullptr;
};

// A worker's reference to its row. It can tell whether the row is still in the list: rows are
// removed (Start clears the list) while workers of an earlier run may still report.
class ResultRowRef
{
public:
    ResultRowRef() = default;
    ResultRowRef(std::shared_ptr<const ResultsModelAnchor> anchor, quint64 id)
        : m_anchor(std::move(anchor)), m_id(id)
    {}
    ResultsModel *model() const { return m_anchor ? m_anchor->model : nullptr; }
    quint64 id() const { return m_id; }
    // GUI thread only: the row's current index, or -1 when it is gone.
    int row() const;
    bool exists() const { return row() >= 0; }

private:
    std::shared_ptr<const ResultsModelAnchor> m_anchor;
    quint64 m_id = 0;
};

// The rows of the results list. Lives on the GUI thread; workers never touch it directly.
class ResultsModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    // The row's image index (int) under this role; the view maps it to a picture.
    static constexpr int ImageIndexRole = Qt::UserRole + 1;
    // The row's Verdict (int) in the Verdict column; the view colours it.
    static constexpr int VerdictRole = Qt::UserRole + 2;

    explicit ResultsModel(QObject *parent = nullptr);
    ~ResultsModel() override;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Appends a row and returns its reference.
    ResultRowRef appendRow(const QString &caption,
                           const std::array<QString, SubItemCount> &subItems, int imageIndex);
    // Removes every row; references to them stop existing.
    void clear();

    const ResultRow &rowAt(int row) const { return m_rows[static_cast<std::size_t>(row)]; }
    int indexOfId(quint64 id) const;

    // Update bracket: changes made between begin and end reach the views as one update of the row.
    void beginRowUpdate(int row);
    void endRowUpdate(int row);
    void setSubItem(int row, int subItem, const QString &text);
    void setImageIndex(int row, int imageIndex);
    void setCanonical(int row, const QString &address);
    // The Verdict cell's word and, when not empty, a line for its tooltip.
    void setVerdict(int row, Verdict verdict, const QString &note);

private:
    void rowChanged(int row);

    std::shared_ptr<ResultsModelAnchor> m_anchor;
    std::vector<ResultRow> m_rows;
    quint64 m_nextId = 1;
    int m_updateDepth = 0;
};

} // namespace orvane
