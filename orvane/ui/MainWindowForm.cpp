#include "orvane/ui/MainWindowForm.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMetaObject>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>

namespace orvane {

namespace {

QFrame* Panel(QWidget* parent, const char* name, int x, int y, int w, int h)
{
    auto* frame = new QFrame(parent);
    frame->setObjectName(name);
    frame->setGeometry(x, y, w, h);
    frame->setAutoFillBackground(true);
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setFrameShadow(QFrame::Raised);
    return frame;
}

QFrame* Line(QWidget* parent, const char* name)
{
    auto* line = new QFrame(parent);
    line->setObjectName(name);
    line->setGeometry(180, 10, 21, 231);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

template <typename Widget>
Widget* Child(QWidget* parent, const char* name, int x, int y, int w, int h)
{
    auto* widget = new Widget(parent);
    widget->setObjectName(name);
    widget->setGeometry(x, y, w, h);
    return widget;
}

QWidget* Page(QWidget* parent, const char* name)
{
    auto* page = new QWidget(parent);
    page->setObjectName(name);
    return page;
}

QPushButton* OrientationButton(QWidget* parent, const char* name, int y, int h)
{
    auto* button = Child<QPushButton>(parent, name, 10, y, 111, h);
    button->setCheckable(true);
    button->setAutoExclusive(true);
    return button;
}

}  // namespace

void MainWindowClass::setupUi(QMainWindow* window)
{
    if (window->objectName().isEmpty())
        window->setObjectName("MainWindowClass");
    window->resize(501, 400);
    QIcon icon;
    icon.addFile(QString::fromUtf8("icon/icon_64.png"), QSize(), QIcon::Normal, QIcon::Off);
    window->setWindowIcon(icon);

    centralWidget = Page(window, "centralWidget");
    label_Monitor = Child<QLabel>(centralWidget, "label_Monitor", 20, 20, 51, 21);
    comboBox_Monitor = Child<QComboBox>(centralWidget, "comboBox_Monitor", 80, 20, 401, 22);
    tabWidget = Child<QTabWidget>(centralWidget, "tabWidget", 20, 60, 461, 281);
    tabWidget->setIconSize(QSize(16, 16));

    tab_ViewMode = Page(tabWidget, "tab_ViewMode");
    frame_1 = Panel(tab_ViewMode, "frame_1", 0, 0, 201, 261);
    line_1 = Line(frame_1, "line_1");
    frame_2 = Panel(tab_ViewMode, "frame_2", 200, 0, 261, 261);
    tabWidget->addTab(tab_ViewMode, QString());

    tab_ColorAdjust = Page(tabWidget, "tab_ColorAdjust");
    frame_3 = Panel(tab_ColorAdjust, "frame_3", 0, 0, 201, 261);
    line_2 = Line(frame_3, "line_2");
    label_ContrastText = Child<QLabel>(frame_3, "label_ContrastText", 10, 10, 61, 21);
    label_BrightnessText = Child<QLabel>(frame_3, "label_BrightnessText", 10, 40, 61, 21);
    frame_4 = Panel(tab_ColorAdjust, "frame_4", 200, 0, 261, 261);
    horizontalScrollBar_Contrast = Child<QScrollBar>(frame_4, "horizontalScrollBar_Contrast", 10, 10, 171, 21);
    horizontalScrollBar_Contrast->setOrientation(Qt::Horizontal);
    horizontalScrollBar_Brightness =
        Child<QScrollBar>(frame_4, "horizontalScrollBar_Brightness", 10, 40, 171, 21);
    horizontalScrollBar_Brightness->setOrientation(Qt::Horizontal);
    label_Contrast = Child<QLabel>(frame_4, "label_Contrast", 200, 10, 41, 21);
    label_Brightness = Child<QLabel>(frame_4, "label_Brightness", 200, 40, 41, 21);
    tabWidget->addTab(tab_ColorAdjust, QString());

    tab = Page(tabWidget, "tab");
    frame_5 = Panel(tab, "frame_5", 0, 0, 201, 261);
    line_3 = Line(frame_5, "line_3");
    frame_6 = Panel(tab, "frame_6", 200, 0, 261, 261);
    tabWidget->addTab(tab, QString());

    tab_orientation = Page(tabWidget, "tab_orientation");
    frame_7 = Panel(tab_orientation, "frame_7", 0, 0, 201, 261);
    line_4 = Line(frame_7, "line_4");
    label_PortraitText = Child<QLabel>(frame_7, "label_PortraitText", 10, 10, 61, 21);
    label_Orientation = Child<QLabel>(frame_7, "label_Orientation", 10, 40, 61, 21);
    frame_8 = Panel(tab_orientation, "frame_8", 200, 0, 261, 261);
    frame_8->setEnabled(true);
    frame_8->setAcceptDrops(false);
    pushButton_Auto = OrientationButton(frame_8, "pushButton_Auto", 40, 21);
    pushButton_Auto->setFlat(false);
    pushButton_Landscape = OrientationButton(frame_8, "pushButton_Landscape", 70, 23);
    pushButton_CW90 = OrientationButton(frame_8, "pushButton_CW90", 100, 23);
    pushButton_CCW90 = OrientationButton(frame_8, "pushButton_CCW90", 130, 23);
    label_Portrait = Child<QLabel>(frame_8, "label_Portrait", 10, 10, 111, 21);
    tabWidget->addTab(tab_orientation, QString());

    window->setCentralWidget(centralWidget);
    menuBar = new QMenuBar(window);
    menuBar->setObjectName("menuBar");
    menuBar->setGeometry(QRect(0, 0, 501, 21));
    menuLanguage = new QMenu(menuBar);
    menuLanguage->setObjectName("menuLanguage");
    window->setMenuBar(menuBar);
    mainToolBar = new QToolBar(window);
    mainToolBar->setObjectName("mainToolBar");
    window->addToolBar(Qt::TopToolBarArea, mainToolBar);
    statusBar = new QStatusBar(window);
    statusBar->setObjectName("statusBar");
    window->setStatusBar(statusBar);
    menuBar->addAction(menuLanguage->menuAction());

    retranslateUi(window);
    tabWidget->setCurrentIndex(0);
    QMetaObject::connectSlotsByName(window);
}

void MainWindowClass::retranslateUi(QMainWindow* window)
{
    const auto tr = [](const char* text) { return QCoreApplication::translate("MainWindowClass", text); };
    window->setWindowTitle(tr("Orvane"));
    label_Monitor->setText(tr("Monitor: "));
    tabWidget->setTabText(tabWidget->indexOf(tab_ViewMode), tr("ViewMode"));
    label_ContrastText->setText(tr("Contrast"));
    label_BrightnessText->setText(tr("Brightness"));
    label_Contrast->setText(QString());
    label_Brightness->setText(QString());
    tabWidget->setTabText(tabWidget->indexOf(tab_ColorAdjust), tr("Color Adjust"));
    tabWidget->setTabText(tabWidget->indexOf(tab), tr("Preset Color Mode"));
    label_PortraitText->setText(tr("Status"));
    label_Orientation->setText(tr("Setting"));
    pushButton_Auto->setText(tr("Auto"));
    pushButton_Landscape->setText(tr("Landscape"));
    pushButton_CW90->setText(tr("CW 90\u02DA"));
    pushButton_CCW90->setText(tr("CCW 90\u02DA"));
    label_Portrait->setText(QString());
    tabWidget->setTabText(tabWidget->indexOf(tab_orientation), tr("Orientation"));
    menuLanguage->setTitle(tr("Language"));
}

}  // namespace orvane
