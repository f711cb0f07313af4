#pragma once

#include "engine/gui_bridge.h"
#include "run/results_model.h"

#include <QMainWindow>

namespace orvane {

// The main window.
class TOrvaneTForm : public QMainWindow
{
    Q_OBJECT
public:
    explicit TOrvaneTForm(QWidget *parent = nullptr);
    ~TOrvaneTForm() override;

    ResultsModel *results() const { return m_results; }
    GuiBridge *bridge() const { return m_bridge; }

private:
    ResultsModel *m_results = nullptr;
    GuiBridge *m_bridge = nullptr;
};

} // namespace orvane
