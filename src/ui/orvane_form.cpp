#include "ui/orvane_form.h"

namespace orvane {

namespace {
constexpr char kPublisherAddress[] = "https://orvane.app";
}

TOrvaneTForm::TOrvaneTForm(QWidget *parent)
    : QMainWindow(parent), m_results(new ResultsModel(this)), m_bridge(new GuiBridge(this))
{
    setObjectName(QStringLiteral("TOrvaneTForm"));
    setWindowTitle(QStringLiteral("Orvane 1.4 - by  ") + QLatin1String(kPublisherAddress));
    resize(984, 600);
}

TOrvaneTForm::~TOrvaneTForm() = default;

} // namespace orvane
