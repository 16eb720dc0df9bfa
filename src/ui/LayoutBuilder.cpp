#include "ui/LayoutBuilder.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>

#include "ui/ColourCue.h"
#include "ui/Layout.h"
#include "ui/MessagePane.h"
#include "ui/OptionButton.h"

namespace virelo::ui {
namespace {

QWidget* MakeTextBox(const ControlRow& row, QWidget* parent) {
    if (row.flags & kMultiLine) {
        auto* box = new MessagePane(parent);
        box->setReadOnly(row.flags & kReadOnly);
        return box;
    }
    auto* box = new QLineEdit(parent);
    box->setReadOnly(row.flags & kReadOnly);
    if (row.flags & kPassword) {
        box->setEchoMode(QLineEdit::Password);
        box->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));  // "*"
    }
    return box;
}

QWidget* MakeControl(const ControlRow& row, QWidget* parent) {
    const QString caption = QString::fromUtf8(row.caption);
    switch (row.kind) {
        case Kind::Label: {
            auto* label = new QLabel(caption, parent);
            label->setWordWrap(true);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            return label;
        }
        case Kind::TextBox:
            return MakeTextBox(row, parent);
        case Kind::Frame:
            return new QGroupBox(caption, parent);
        case Kind::Button:
            return new QPushButton(caption, parent);
        case Kind::Option: {
            auto* option = new OptionButton(caption, parent);
            option->setChecked(row.flags & kSelected);
            return option;
        }
        case Kind::Combo: {
            auto* combo = new QComboBox(parent);
            combo->setEditable(true);
            combo->setInsertPolicy(QComboBox::NoInsert);
            combo->setEditText(caption);
            return combo;
        }
        case Kind::List:
            return new QListWidget(parent);
    }
    return nullptr;
}

// Labels and option buttons wrap; give them the height their caption needs at this font.
void FitCaption(QWidget* control, Kind kind) {
    if (kind != Kind::Label && kind != Kind::Option) {
        return;
    }
    const int needed = control->heightForWidth(control->width());
    if (needed > control->height()) {
        control->resize(control->width(), needed);
    }
}

}  // namespace

QTabWidget* BuildMainLayout(QWidget* window, double dpi, ControlMap& controls) {
    const auto px = [dpi](int twips) { return TwipsToPixels(twips, dpi); };

    auto* tabs = new QTabWidget(window);
    tabs->setObjectName("SSTabVIRELO");
    tabs->setGeometry(px(kTabControl.left), px(kTabControl.top), px(kTabControl.width),
                      px(kTabControl.height));
    // The Tab key moves between the controls of the page in front, never onto the tab strip.
    tabs->tabBar()->setFocusPolicy(Qt::NoFocus);
    QWidget* pages[kTabCount];
    for (int i = 0; i < kTabCount; ++i) {
        pages[i] = new QWidget;
        pages[i]->setObjectName(QStringLiteral("SSTabVIRELO_page%1").arg(i));
        tabs->addTab(pages[i], QString::fromUtf8(kTabCaptions[i]));
    }
    // Places on a page are measured from the tab control's corner, tab strip included.
    const int frame = tabs->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, tabs);
    const QPoint pageOrigin(frame, tabs->tabBar()->sizeHint().height() + frame);

    for (const ControlRow& row : MainWindowLayout()) {
        QWidget* parent = row.container != nullptr ? controls.at(row.container) : pages[row.page];
        QWidget* control = MakeControl(row, parent);
        control->setObjectName(row.name);
        QPoint at(px(row.place.left), px(row.place.top));
        if (row.container == nullptr) {
            at -= pageOrigin;
            at = QPoint(qMax(0, at.x()), qMax(0, at.y()));
        }
        control->setGeometry(QRect(at, QSize(px(row.place.width), px(row.place.height))));
        if (*row.toolTip != '\0') {
            control->setToolTip(QString::fromUtf8(row.toolTip));
        }
        if (row.flags & kNoTabStop) {
            control->setFocusPolicy(Qt::ClickFocus);
        }
        if (row.kind == Kind::TextBox || row.kind == Kind::Combo || row.kind == Kind::List) {
            SetBackColour(control,
                          (row.flags & kMenuBackground) ? SysColour::Menu : SysColour::Window);
        }
        FitCaption(control, row.kind);
        controls.emplace(row.name, control);
    }
    return tabs;
}

}  // namespace virelo::ui
