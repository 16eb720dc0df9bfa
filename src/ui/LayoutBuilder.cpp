#include "ui/LayoutBuilder.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleFactory>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>
#include <QTabWidget>

#include "ui/ColourCue.h"
#include "ui/Frame.h"
#include "ui/Layout.h"
#include "ui/MessagePane.h"
#include "ui/OptionButton.h"

namespace virelo::ui {
namespace {

// The style of the password boxes: the platform's own, except that a password box shows every
// character as "*". A line edit asks its style for that character; there is no property for it.
class PasswordStyle : public QProxyStyle {
public:
    // The application's own style underneath, so the boxes look like every other text box.
    PasswordStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_LineEdit_PasswordCharacter) {
            return '*';
        }
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// The tab control, which can tell where its pages lie before it is first shown.
class TabControl : public QTabWidget {
public:
    using QTabWidget::QTabWidget;

    // The top-left corner of the pages inside the tab control. The tab control lays its pages
    // out only when it is shown, in the rectangle its style gives for the tab contents; this asks
    // the style the same question.
    QPoint pageOrigin() {
        ensurePolished();
        QStyleOptionTabWidgetFrame option;
        initStyleOption(&option);
        return style()->subElementRect(QStyle::SE_TabWidgetTabContents, &option, this).topLeft();
    }
};

QWidget* MakeTextBox(const ControlRow& row, QWidget* parent, QStyle* passwordStyle) {
    if (row.flags & kMultiLine) {
        auto* box = new MessagePane(parent);
        box->setReadOnly(row.flags & kReadOnly);
        return box;
    }
    auto* box = new QLineEdit(parent);
    box->setReadOnly(row.flags & kReadOnly);
    if (row.flags & kPassword) {
        box->setStyle(passwordStyle);
        box->setEchoMode(QLineEdit::Password);
    }
    return box;
}

QWidget* MakeControl(const ControlRow& row, QWidget* parent, QStyle* passwordStyle) {
    const QString caption = QString::fromUtf8(row.caption);
    switch (row.kind) {
        case Kind::Label: {
            auto* label = new QLabel(caption, parent);
            label->setWordWrap(true);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            return label;
        }
        case Kind::TextBox:
            return MakeTextBox(row, parent, passwordStyle);
        case Kind::Frame:
            return new Frame(caption, parent);
        case Kind::Button:
            return new QPushButton(caption, parent);
        case Kind::Option: {
            auto* option = new OptionButton(caption, parent);
            option->setChecked(row.flags & kSelected);
            return option;
        }
        case Kind::Combo: {
            auto* combo = new QComboBox(parent);
            // Editable. Handing the combo box its line edit, instead of setEditable(), spares
            // building its drop-down list before the user first opens it: a tenth of the work
            // of start-up for the window's thirteen combo boxes.
            combo->setLineEdit(new QLineEdit(combo));
            // What the user types is taken exactly as typed: no completion from the list, which
            // would turn a typed "Sal" into a listed "Sales".
            combo->setCompleter(nullptr);
            combo->setInsertPolicy(QComboBox::NoInsert);
            combo->setEditText(caption);
            return combo;
        }
        case Kind::List:
            return new QListWidget(parent);
    }
    return nullptr;
}

}  // namespace

QTabWidget* BuildMainLayout(QWidget* window, double dpi, ControlMap& controls) {
    const auto px = [dpi](int twips) { return TwipsToPixels(twips, dpi); };

    auto* tabs = new TabControl(window);
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
    const QPoint pageOrigin = tabs->pageOrigin();
    // Owned by the window and made after the tab control, so it outlives the boxes that use it.
    auto* passwordStyle = new PasswordStyle;
    passwordStyle->setParent(window);

    for (const ControlRow& row : MainWindowLayout()) {
        QWidget* parent = row.container != nullptr ? controls.at(row.container) : pages[row.page];
        QWidget* control = MakeControl(row, parent, passwordStyle);
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
        controls.emplace(row.name, control);
    }
    return tabs;
}

}  // namespace virelo::ui
