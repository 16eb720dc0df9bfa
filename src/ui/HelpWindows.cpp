#include "ui/HelpWindows.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <cmath>

#include "ui/AppLook.h"

namespace virelo::ui {
namespace {

struct HelpWindowRow {
    const char* form;
    const char* caption;
    int clientWidth, clientHeight;
    const char* box;
    int boxWidth, boxHeight;
    HelpTopic topic;
};

// Indexed by SideWindow minus one (the About window has its own builder).
constexpr HelpWindowRow kHelpWindows[] = {
    {"frmtcphelp", "TCP Help", 5070, 5910, "Text1", 5055, 5895, HelpTopic::Tcp},
    {"frmnativehelp", "Native Connect Help", 6585, 5205, "txtNativeHelp", 6615, 5175,
     HelpTopic::Native},
    {"frmcomhelp", "COM+ Help", 7455, 7200, "txtcomhelp", 7455, 7215, HelpTopic::Com},
    {"frmodbchelp", "ODBC Help", 6810, 7740, "txtodbchelp", 6855, 7815, HelpTopic::Odbc},
    {"frmjdbchelp", "JDBC Help", 6120, 6720, "txtJDBCHelp", 6135, 6735, HelpTopic::Jdbc},
};

}  // namespace

HelpWindows::~HelpWindows() {
    for (auto& window : windows_) {
        delete window.data();
    }
}

int HelpWindows::Px(int twips) const {
    return static_cast<int>(std::lround(twips * dpi_ / 1440.0));
}

QWidget* HelpWindows::Instance(SideWindow which) const {
    return windows_[static_cast<std::size_t>(which)].data();
}

QWidget* HelpWindows::Show(SideWindow which) {
    auto& slot = windows_[static_cast<std::size_t>(which)];
    if (slot.isNull()) {
        slot = Create(which);
    }
    slot->show();
    slot->raise();
    slot->activateWindow();
    return slot.data();
}

QWidget* HelpWindows::Create(SideWindow which) const {
    QWidget* window = which == SideWindow::About ? CreateAbout() : CreateHelp(which);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowIcon(ProgramIcon());
    window->setFont(ProgramFont());
    return window;
}

QWidget* HelpWindows::CreateAbout() const {
    auto* window = new QWidget;
    window->setObjectName("frmAbout");
    window->setWindowTitle("About VIRELO");
    window->setFixedSize(Px(4680), Px(1980));

    auto* close = new QPushButton("Close", window);
    close->setObjectName("cmdClose");
    close->setGeometry(Px(2880), Px(1080), Px(1095), Px(375));
    QObject::connect(close, &QPushButton::clicked, window, &QWidget::close);  // cmdClose_Click

    auto* label = new QLabel("Orvane Nembrion Virelo Version 2.81.TC1", window);
    label->setObjectName("Label1");
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(Px(240), Px(240), Px(1815), Px(735));
    close->setFocus();
    return window;
}

QWidget* HelpWindows::CreateHelp(SideWindow which) const {
    const HelpWindowRow& row = kHelpWindows[static_cast<std::size_t>(which) - 1];
    auto* window = new QWidget;
    window->setObjectName(row.form);
    window->setWindowTitle(row.caption);
    window->setFixedSize(Px(row.clientWidth), Px(row.clientHeight));

    auto* box = new QPlainTextEdit(window);
    box->setObjectName(row.box);
    box->setGeometry(0, 0, Px(row.boxWidth), Px(row.boxHeight));
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setPlainText(QString::fromStdString(HelpText(row.topic)).replace("\r\n", "\n"));
    box->setFocus();
    return window;
}

}  // namespace virelo::ui
