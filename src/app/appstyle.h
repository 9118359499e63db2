#pragma once

#include <QProxyStyle>

namespace tunora {

// The platform's own style, except for the arrow of a menu bar or tool bar that overflows.
// The standard one is a picture file whose loading starts the image-format plugins, and every
// menu bar asks for it when it is made, overflowing or not: here it is drawn when shown.
class AppStyle : public QProxyStyle {
    Q_OBJECT

public:
    using QProxyStyle::QProxyStyle;

    QIcon standardIcon(StandardPixmap icon, const QStyleOption *option = nullptr,
                       const QWidget *widget = nullptr) const override;
};

} // namespace tunora
