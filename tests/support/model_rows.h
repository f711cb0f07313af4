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

inline int rowImage(const ResultsModel &model, int row)
{
    return model.index(row, UrlColumn).data(ResultsModel::ImageIndexRole).toInt();
}

} // namespace orvane::testing
