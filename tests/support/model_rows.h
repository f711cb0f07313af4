#pragma once

#include "run/results_model.h"

#include <QStringList>

namespace orvane::testing {

// A row of the results model as the list shows it: every column's text, and its image.
inline QStringList rowTexts(const ResultsModel &model, int row)
{
    QStringList texts;
    for (int column = 0; column < ResultColumnCount; ++column) {
        texts << model.index(row, column).data().toString();
    }
    return texts;
}

// When every test row was checked, and its Date Checked text.
inline const QDateTime kChecked(QDate(2026, 12, 9), QTime(7, 0));
inline const QString kCheckedText = QStringLiteral("12/9/26 7:00:00 AM");

// A row still being checked, as a run adds it.
inline ResultRowRef addPendingRow(ResultsModel &model, const QString &url)
{
    model.setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    return model.appendRow(url, kChecked);
}

// A row whose check reported.
inline void addReportedRow(ResultsModel &model, const QString &url, const CheckReport &report)
{
    const int row = addPendingRow(model, url).row();
    model.setReport(row, report);
}

inline int rowImage(const ResultsModel &model, int row)
{
    return model.index(row, UrlColumn).data(ResultsModel::ImageIndexRole).toInt();
}

} // namespace orvane::testing
