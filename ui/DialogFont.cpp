#include "ui/DialogFont.h"

#include <QFontMetrics>
#include <QWidget>
#include <algorithm>

void growWithFont(QWidget& dialog, int pointSize, int designPointSize, const QSize& designSize) {
    QFont sized = dialog.font();
    sized.setPointSize(pointSize);
    dialog.setFont(sized);
    QFont design = sized;
    design.setPointSize(designPointSize);
    const double scale =
        std::max(1.0, double(QFontMetrics(sized).height()) / QFontMetrics(design).height());
    auto scaled = [scale](int value) { return int(value * scale + 0.5); };
    for (QWidget* child : dialog.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        const QRect r = child->geometry();
        child->setGeometry(scaled(r.x()), scaled(r.y()), scaled(r.width()), scaled(r.height()));
    }
    dialog.setFixedSize(scaled(designSize.width()), scaled(designSize.height()));
}
