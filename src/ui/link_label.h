#pragma once

#include <QLabel>

namespace orvane {

// A label that acts as a link: releasing the left button over it emits clicked().
class LinkLabel : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;

    // Shows the picture of that SVG file drawn at `size`, sharp at the screen's pixel ratio.
    void setPicture(const QString &svgFile, QSize size);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};

} // namespace orvane
