#include "VyrStyle.h"

#include <QApplication>
#include <QPalette>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QWidget>

namespace tarnixw::vyr {

namespace {

class CompactStyle final : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        switch (metric) {
        case PM_IndicatorWidth:
        case PM_IndicatorHeight:
            return kIndicator;
        case PM_ButtonMargin:
            return 2;
        default:
            return QProxyStyle::pixelMetric(metric, option, widget);
        }
    }

    // The DO boxes are exactly the indicator's size.
    static constexpr int kIndicator = 10;
};

} // namespace

QStyle* compactStyle()
{
    static QPointer<QStyle> style;
    if (!style) {
        // The proxy takes the application's own style so these controls look like the rest.
        QStyle* base = QStyleFactory::create(QApplication::style()->name());
        style = new CompactStyle(base);
        style->setParent(qApp); // lives as long as the application
    }
    return style;
}

QPalette textPalette(const QWidget* parent, const QColor& colour)
{
    QPalette pal = parent->palette();
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text}) {
        pal.setColor(QPalette::Active, role, colour);
        pal.setColor(QPalette::Inactive, role, colour);
    }
    return pal;
}

} // namespace tarnixw::vyr
