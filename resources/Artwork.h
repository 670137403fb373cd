#pragma once

#include <QIcon>
#include <QPixmap>

namespace tarnixw::artwork {

// The pictures built into the program.
QPixmap splash(); // 533 x 370
QPixmap vyrDevice(); // 200 x 141
QPixmap plixDevice(); // 200 x 140
QIcon programIcon();
QIcon idSearch(); // magnifying glass
QIcon read(); // green arrow up out of a chip
QIcon write(); // red arrow down into a chip
QIcon openFile(); // opening folder
QIcon saveFile(); // disk with arrow
QIcon checkCom(); // USB serial cable
QPixmap doRows(int module); // "Digital Output Channel (Module m)", rotated

} // namespace tarnixw::artwork
