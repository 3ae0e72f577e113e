#include "app/frmStep1.h"

void frmStep1::CmdAddFolder_Click()
{
}
