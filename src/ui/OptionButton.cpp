#include "ui/OptionButton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace virelo::ui {
namespace {
constexpr int kWrapFlags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap;
}

OptionButton::OptionButton(const QString& caption, QWidget* parent)
    : QRadioButton(caption, parent) {
    connect(this, &QAbstractButton::clicked, this, &OptionButton::Click);
    connect(this, &QAbstractButton::toggled, this, [this](bool selected) {
        if (selected && !clicking_) {
            emit Click();
        }
    });
}

void OptionButton::nextCheckState() {
    clicking_ = true;
    QRadioButton::nextCheckState();
    clicking_ = false;
}

QRect OptionButton::captionArea() const {
    const int indicator = style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, this);
    const int spacing = style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, this);
    const int left = indicator + spacing;
    return QRect(left, 0, qMax(1, width() - left), height());
}

void OptionButton::paintEvent(QPaintEvent* /*event*/) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);

    const int w = style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, &option, this);
    const int h = style()->pixelMetric(QStyle::PM_ExclusiveIndicatorHeight, &option, this);
    QStyleOptionButton indicator = option;
    indicator.rect = QRect(0, (height() - h) / 2, w, h);
    painter.drawPrimitive(QStyle::PE_IndicatorRadioButton, indicator);

    const QRect area = captionArea();
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    painter.drawText(area, kWrapFlags, text());
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = painter.boundingRect(area, kWrapFlags, text()).adjusted(-1, 0, 1, 0);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

}  // namespace virelo::ui
