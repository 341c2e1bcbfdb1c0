#ifndef PHOTOSSETTINGS_H
#define PHOTOSSETTINGS_H

#include <QWidget>

// An empty page, kept so the page stack has room for photo settings.
class PhotosSettings : public QWidget
{
    Q_OBJECT

public:
    explicit PhotosSettings(QWidget *parent = nullptr);
};

#endif // PHOTOSSETTINGS_H
