// The designed form of the main window: a monitor selector and four tabs.
// It is built completely but the window is never shown and nothing is
// connected to its widgets.
#pragma once

class QComboBox;
class QFrame;
class QLabel;
class QMainWindow;
class QMenu;
class QMenuBar;
class QPushButton;
class QScrollBar;
class QStatusBar;
class QTabWidget;
class QToolBar;
class QWidget;

namespace orvane {

class MainWindowClass {
public:
    QWidget* centralWidget = nullptr;
    QLabel* label_Monitor = nullptr;
    QComboBox* comboBox_Monitor = nullptr;
    QTabWidget* tabWidget = nullptr;
    QWidget* tab_ViewMode = nullptr;
    QFrame* frame_1 = nullptr;
    QFrame* line_1 = nullptr;
    QFrame* frame_2 = nullptr;
    QWidget* tab_ColorAdjust = nullptr;
    QFrame* frame_3 = nullptr;
    QFrame* line_2 = nullptr;
    QLabel* label_ContrastText = nullptr;
    QLabel* label_BrightnessText = nullptr;
    QFrame* frame_4 = nullptr;
    QScrollBar* horizontalScrollBar_Contrast = nullptr;
    QScrollBar* horizontalScrollBar_Brightness = nullptr;
    QLabel* label_Contrast = nullptr;
    QLabel* label_Brightness = nullptr;
    QWidget* tab = nullptr;
    QFrame* frame_5 = nullptr;
    QFrame* line_3 = nullptr;
    QFrame* frame_6 = nullptr;
    QWidget* tab_orientation = nullptr;
    QFrame* frame_7 = nullptr;
    QFrame* line_4 = nullptr;
    QLabel* label_PortraitText = nullptr;
    QLabel* label_Orientation = nullptr;
    QFrame* frame_8 = nullptr;
    QPushButton* pushButton_Auto = nullptr;
    QPushButton* pushButton_Landscape = nullptr;
    QPushButton* pushButton_CW90 = nullptr;
    QPushButton* pushButton_CCW90 = nullptr;
    QLabel* label_Portrait = nullptr;
    QMenuBar* menuBar = nullptr;
    QMenu* menuLanguage = nullptr;
    QToolBar* mainToolBar = nullptr;
    QStatusBar* statusBar = nullptr;

    void setupUi(QMainWindow* window);
    void retranslateUi(QMainWindow* window);
};

}  // namespace orvane
