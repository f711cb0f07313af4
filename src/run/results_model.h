#pragma once

#include "engine/check_report.h"
#include "run/result_columns.h"

#include <QAbstractTableModel>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <memory>
#include <vector>

namespace orvane {

// Small-image indexes of a row.
enum RowImage { ImageOn = 0, ImageFound = 1, ImageNotFound = 2, ImagePending = 3 };

struct ResultRow
{
    quint64 id = 0;    // unique for the life of the model, increasing in row order
    QString caption;   // the page's address
    QDateTime checked; // when its check began
    bool reported = false;
    CheckReport report; // as its worker handed it over, once reported
    int imageIndex = ImagePending;
    CheckWait waiting = CheckWait::None; // while pending: what its check waits for

    // Pending rows have none.
    Verdict verdict() const { return reported ? report.verdict : Verdict::None; }
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

    // Appends a pending row and returns its reference.
    ResultRowRef appendRow(const QString &caption, const QDateTime &checked = {});
    // Removes every row; references to them stop existing.
    void clear();

    const ResultRow &rowAt(int row) const { return m_rows[static_cast<std::size_t>(row)]; }
    ResultRowRef refAt(int row) const { return ResultRowRef(m_anchor, rowAt(row).id); }
    int indexOfId(quint64 id) const;
    // The cell's text as the list shows it (and every copy takes it).
    QString cellText(int row, int column) const;
    // The locale of the Date Checked texts.
    void setLocale(const QLocale &locale) { m_locale = locale; }

    // Update bracket: changes made between begin and end reach the views as one update of the row.
    void beginRowUpdate(int row);
    void endRowUpdate(int row);
    // The row's check is done: it shows the report from now on.
    void setReport(int row, const CheckReport &report);
    // What a pending row's check waits for, which its Anchor Text says; a reported row keeps its
    // cells.
    void setWaiting(int row, CheckWait what);
    // The row is checked again: pending from now on, waiting as given, its check begun at
    // `checked`.
    void restart(int row, const QDateTime &checked, CheckWait what);

private:
    void rowChanged(int row);

    std::shared_ptr<ResultsModelAnchor> m_anchor;
    std::vector<ResultRow> m_rows;
    quint64 m_nextId = 1;
    int m_updateDepth = 0;
    QLocale m_locale = QLocale::system();
};

} // namespace orvane
