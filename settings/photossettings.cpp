#include "photossettings.h"

PhotosSettings::PhotosSettings(QWidget *parent)
    : QWidget(parent)
{
}
