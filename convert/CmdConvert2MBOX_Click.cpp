#include "app/frmStep1.h"

void frmStep1::CmdConvert2MBOX_Click()
{
}
