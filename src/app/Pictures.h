// The program's own pictures, drawn at run time: the window icon and the button pictures.
#pragma once

#include <QIcon>
#include <QPixmap>

enum class ButtonPicture { DeviceInfo, ReadConfiguration, WriteConfiguration, ZeroCorrection };

QPixmap MakeButtonPicture(ButtonPicture picture);  // 24 x 24
QIcon MakeWindowIcon();                            // 16 x 16
