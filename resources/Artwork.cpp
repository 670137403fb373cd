#include "Artwork.h"

namespace tarnixw::artwork {

namespace {
QPixmap pix(const char* name)
{
    return QPixmap(QStringLiteral(":/artwork/%1").arg(QLatin1String(name)));
}
QIcon icon(const char* name)
{
    return QIcon(pix(name));
}
} // namespace

QPixmap splash()
{
    return pix("splash.png");
}
QPixmap vyrDevice()
{
    return pix("vyr_device.png");
}
QPixmap plixDevice()
{
    return pix("plix_device.png");
}
QIcon programIcon()
{
    return icon("tarnixw.png");
}
QIcon idSearch()
{
    return icon("btn_idsearch.png");
}
QIcon read()
{
    return icon("btn_read.png");
}
QIcon write()
{
    return icon("btn_write.png");
}
QIcon openFile()
{
    return icon("btn_openfile.png");
}
QIcon saveFile()
{
    return icon("btn_savefile.png");
}
QIcon checkCom()
{
    return icon("btn_checkcom.png");
}
QPixmap doRows(int module)
{
    return pix(module == 1 ? "do_rows_1.png" : module == 2 ? "do_rows_2.png" : "do_rows_0.png");
}

} // namespace tarnixw::artwork
