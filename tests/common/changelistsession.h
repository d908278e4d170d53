#pragma once

#include "app/frmveskedit.h"
#include "scripteddialogs.h"

// A window's session around a change-list save, the same in every process that plays it: a
// byte outside the cartridge and one inside, saved as txt, then one more of each.
inline void flipByte(ByteImages &images, qint64 offset, int bits)
{
    images.write(offset, byteAt(images.WorkImage, offset) ^ bits);
}
inline void saveChangeListSession(frmVeskEdit &w, ByteImages &images, ScriptedDialogs &dialogs, const QString &txt)
{
    flipByte(images, 0x1000, 0x5A);
    flipByte(images, 0x6E2EC, 0x21);
    dialogs.answers = {txt};
    w.menuSave_Click();
}
inline void editAfterChangeListSave(ByteImages &images)
{
    flipByte(images, 0x2000, 0x33);
    flipByte(images, CartridgeStart + 0x100, 0x44);
}
