#pragma once

#include <QWidget>

class QLabel;
class QPushButton;
class TImage;

// The About window: icon, title, version, credit and "ＯＫ".
class TForm2 : public QWidget {
    Q_OBJECT
public:
    TForm2();
    ~TForm2() override;

    QLabel* LblTitle;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* LblVer;
    TImage* Image1;
    QPushButton* Button1;
    QLabel* LblCopy;

    void FormCreate();
    void Button1Click();

protected:
    void showEvent(QShowEvent* event) override;
};

extern TForm2* Form2;
