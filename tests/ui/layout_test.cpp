#include <QImage>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleFactory>
#include <map>

#include "support/WindowFixture.h"
#include "ui/Frame.h"
#include "ui/Layout.h"
#include "ui/OptionButton.h"

// Readable rectangles and colours in failure messages.
void PrintTo(const QRect& rect, std::ostream* out) {
    *out << rect.x() << "," << rect.y() << " " << rect.width() << "x" << rect.height();
}
void PrintTo(const QColor& colour, std::ostream* out) {
    *out << colour.name().toStdString();
}

namespace virelo::ui {
namespace {

class LayoutTest : public test::WindowFixture {
protected:
    static int Px(int twips) { return TwipsToPixels(twips, kDpi); }
    // The window as drawn with the page that holds `control` in front.
    const QImage& shownWith(QWidget* control) {
        QTabWidget* tabs = window->SSTabVIRELO();
        QWidget* page = control;
        while (tabs->indexOf(page) < 0) {
            page = page->parentWidget();
        }
        tabs->setCurrentWidget(page);
        QImage& shot = shots[tabs->currentIndex()];
        if (shot.isNull()) {
            shot = window->grab().toImage();
        }
        return shot;
    }

    std::map<int, QImage> shots;
};

// The window, its tabs, and every control at its described place and size (on a page, measured
// from the tab control's corner, tab strip included) with its tool tip and selection, and every
// command button with its caption (start-up completes some labels and option captions).
TEST_F(LayoutTest, EveryControlKeepsItsPlaceSizeAndCaption) {
    EXPECT_EQ(window->windowTitle(),
              "VIRELO   A TECH SUPPORT UTILITY USED TO DIAGNOSE CONNECTIVITY ISSUES ");
    EXPECT_EQ(window->size(), QSize(795, 589));  // 11925 x 8835 twips at 96 DPI
    QTabWidget* tabs = window->SSTabVIRELO();
    EXPECT_EQ(tabs->size(), QSize(793, 585));
    QStringList captions;
    for (int i = 0; i < tabs->count(); ++i) {
        captions << tabs->tabText(i);
    }
    EXPECT_EQ(captions, QStringList({"TCPIP", "Native Connect", "COM+", "ODBC", "JDBC"}));
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_EQ(window->control("cmdPingTCP")->geometry(), QRect(408, 24, 81, 25));
    EXPECT_EQ(text("lblinstructions"), "Enter Host Name or IP Address here ");
    for (const ControlRow& row : MainWindowLayout()) {
        QWidget* control = window->control(row.name);
        ASSERT_NE(control, nullptr) << row.name;
        const QRect designed(Px(row.place.left), Px(row.place.top), Px(row.place.width),
                             Px(row.place.height));
        const QWidget* container = row.container != nullptr ? window->control(row.container) : tabs;
        EXPECT_EQ(QRect(control->mapTo(container, QPoint()), control->size()), designed)
            << row.name;
        EXPECT_EQ(control->toolTip().toStdString(), row.toolTip) << row.name;
        if (const auto* button = qobject_cast<QPushButton*>(control)) {
            EXPECT_EQ(button->text().toStdString(), row.caption) << row.name;
        }
        if (const auto* option = qobject_cast<QRadioButton*>(control)) {
            EXPECT_EQ(option->isChecked(), (row.flags & kSelected) != 0) << row.name;
        }
    }
}

// Each caption fits its control as laid out, on one line where the control is one line high,
// and no other control covers it: measured with the font's metrics and on the drawn pixels.
TEST_F(LayoutTest, EveryCaptionIsDrawnWholeAndUncovered) {
    for (const ControlRow& row : MainWindowLayout()) {
        if (row.kind != Kind::Label && row.kind != Kind::Option && row.kind != Kind::Frame &&
            row.kind != Kind::Button) {
            continue;
        }
        QWidget* control = window->control(row.name);
        const QFontMetrics metrics = control->fontMetrics();
        const QString caption = QString::fromUtf8(row.caption);
        if (row.kind == Kind::Button) {
            EXPECT_LE(metrics.horizontalAdvance(caption) + 8, control->width()) << row.name;
            EXPECT_LE(metrics.height() + 4, control->height()) << row.name;
            continue;
        }
        if (caption.trimmed().isEmpty()) {
            continue;
        }
        // Where the control draws its caption, in its own coordinates.
        const auto* option = qobject_cast<const OptionButton*>(control);
        const auto* frame = qobject_cast<const Frame*>(control);
        const QRect area = option  ? option->captionArea()
                           : frame ? frame->captionArea()
                                   : control->contentsRect();
        const bool oneLine = control->height() < 2 * metrics.lineSpacing();
        const QRect needed =
            metrics.boundingRect(QRect(0, 0, area.width(), 10000), Qt::TextWordWrap, caption);
        EXPECT_LE(needed.width(), area.width()) << row.name << ": a word is cut";
        EXPECT_LE(needed.height(), area.height()) << row.name << ": lines are cut off";
        if (oneLine) {
            EXPECT_LE(metrics.horizontalAdvance(caption), area.width())
                << row.name << " wraps onto a second line";
        }

        // The caption as the control draws it alone, and as it shows in the window.
        // Its ink is the bounding box of its dark pixels; one of them shown light is covered.
        const QImage own = control->grab().toImage();
        const QImage& shown = shownWith(control);
        const QPoint offset = control->mapTo(window.get(), QPoint());
        QRect ink;
        int covered = 0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                if (own.pixelColor(x, y).lightness() < 100) {
                    ink |= QRect(x, y, 1, 1);
                    covered += shown.pixelColor(offset + QPoint(x, y)).lightness() > 160;
                }
            }
        }
        ASSERT_TRUE(ink.isValid()) << row.name << ": no caption drawn";
        if (oneLine) {
            EXPECT_LE(ink.height(), metrics.height()) << row.name << " is drawn on two lines";
        }
        EXPECT_EQ(covered, 0) << row.name << ": caption pixels covered in the window";
        // No other control (or, for a frame, none of its own) lies over the drawn caption.
        const QWidget* around = row.kind == Kind::Frame ? control : control->parentWidget();
        const QRect inkThere = ink.translated(control->mapTo(around, QPoint()));
        for (const QWidget* other : around->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (other != control && !other->objectName().isEmpty()) {
                EXPECT_FALSE(other->geometry().intersects(inkThere))
                    << other->objectName().toStdString() << " lies over the caption of "
                    << row.name;
            }
        }
    }
}

// A platform's style may mask passwords with "●"; the password boxes show "*" whatever it says.
TEST_F(LayoutTest, PasswordBoxesShowStars) {
    class BulletStyle : public QProxyStyle {
    public:
        using QProxyStyle::QProxyStyle;
        int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                      QStyleHintReturn* returnData) const override {
            return hint == SH_LineEdit_PasswordCharacter
                       ? 0x25CF
                       : QProxyStyle::styleHint(hint, option, widget, returnData);
        }
    };
    const QString platformStyle = QApplication::style()->name();
    QApplication::setStyle(new BulletStyle(QStyleFactory::create(platformStyle)));
    QLineEdit plain;
    plain.setEchoMode(QLineEdit::Password);
    plain.setText("abc");
    EXPECT_EQ(plain.displayText(), QString(3, QChar(0x25CF))) << "the platform's mask";

    auto bullets = open();
    for (const char* name : {"txtPasswordCon", "txtPWD", "txtODBCPWD", "txtPassJDBC"}) {
        auto* box = bullets->control<QLineEdit>(name);
        QTest::keyClicks(box, "abc");
        EXPECT_EQ(box->text(), "abc") << name;
        EXPECT_EQ(box->displayText(), "***") << name;
    }
    bullets.reset();
    QApplication::setStyle(platformStyle);
}

// The five message panes (always with a vertical scroll bar) and the display fields.
TEST_F(LayoutTest, PanesAndDisplayFieldsCannotBeTypedIntoOrTabbedTo) {
    const char* names[] = {"txtDiagTCP",  "txtErrorCon",        "txtDiagCOM",
                           "txtDiagODBC", "txtMessagesJDBC",    "txtComputerTCP",
                           "txtSName",    "txtConInfoDBVerVal", "txtDrvSQLVal"};
    for (std::size_t i = 0; i < std::size(names); ++i) {
        QWidget* field = window->control(names[i]);
        EXPECT_EQ(field->focusPolicy() & Qt::TabFocus, 0) << names[i];
        QTest::keyClicks(field, "typed");
        MessagePane* pane = window->pane(names[i]);
        ASSERT_EQ(pane != nullptr, i < 5) << names[i];
        const QString text = pane ? pane->toPlainText() : field->property("text").toString();
        EXPECT_FALSE(text.contains("typed")) << names[i];
        EXPECT_TRUE(!pane || pane->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn) << names[i];
    }
}

// The colour cue as drawn: the menu colour marks the fields of the option that is not selected,
// for every kind of field (text box, multi-line box, list box, editable combo box).
TEST_F(LayoutTest, ColourCuesAreDrawn) {
    const QColor menu = QApplication::palette().color(QPalette::Window);
    const QColor base = QApplication::palette().color(QPalette::Base);
    const auto drawn = [this](const char* name) {
        QWidget* field = window->control(name);
        shownWith(field);
        const QImage image = field->grab().toImage();
        return image.pixelColor(image.width() * 3 / 4, image.height() / 2);
    };
    for (const char* typed : {"", "optStringURLJDBC"}) {  // building the URL, then typing it
        if (*typed != '\0') {
            QTest::mouseClick(window->control(typed), Qt::LeftButton);
        }
        for (const char* name : {"txtHostJDBC", "lstParamsJDBC", "cmbProtocolJDBC"}) {
            EXPECT_EQ(drawn(name), *typed ? menu : base) << name;
        }
        EXPECT_EQ(drawn("txtConURLJDBC"), *typed ? base : menu);
    }
    EXPECT_EQ(drawn("txtDSNLess"), menu);
    EXPECT_EQ(drawn("cboUserDSN"), menu);
    EXPECT_EQ(drawn("cboSystemDSN"), base);
}

}  // namespace
}  // namespace virelo::ui
