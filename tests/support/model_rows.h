#pragma once

#include "run/results_model.h"

#include <QStringList>
#include <array>
#include <initializer_list>
#include <utility>

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

// Sub-items by name; the others are empty.
inline std::array<QString, SubItemCount>
subItems(std::initializer_list<std::pair<SubItem, QString>> cells)
{
    std::array<QString, SubItemCount> items;
    for (const auto &[subItem, text] : cells) {
        items[static_cast<std::size_t>(subItem)] = text;
    }
    return items;
}

// The sub-items of a row still being checked, as a run adds it.
inline std::array<QString, SubItemCount>
pendingSubItems(const QString &date = QStringLiteral("12/9/2026 7:00:00 AM"))
{
    return subItems({{FoundSubItem, QStringLiteral("Searching...")},
                     {AnchorTextSubItem, QStringLiteral("Downloading...")},
                     {DateCheckedSubItem, date}});
}

inline int rowImage(const ResultsModel &model, int row)
{
    return model.index(row, UrlColumn).data(ResultsModel::ImageIndexRole).toInt();
}

} // namespace orvane::testing
