#include "app/windowset.h"

#include "clock/mainwindow.h"
#include "mini/miniwindow.h"
#include "settings/aboutwindow.h"
#include "settings/settingswindow.h"

WindowSet::WindowSet(Platform& platform) {
    new TForm1(platform);
    new TForm2();
    new TForm3();
    new TForm4(platform);
}

WindowSet::~WindowSet() {
    delete Form4;
    delete Form3;
    delete Form2;
    delete Form1;
}
