#pragma once

#include <QWidget>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TRadioGroup;

// The settings window "設定". Its controls are the only copy of the settings in
// memory; the main window reads and writes them directly.
class TForm3 : public QWidget {
    Q_OBJECT
public:
    TForm3();
    ~TForm3() override;

    QLineEdit* EdtWav;
    QLabel* Label1;
    QCheckBox* CheckHint;
    QCheckBox* CheckTop;
    QGroupBox* GroupBox1;
    TRadioGroup* RGColor;
    QPushButton* BtnOK;

    void BtnOKClick();

protected:
    void showEvent(QShowEvent* event) override;
};

extern TForm3* Form3;
