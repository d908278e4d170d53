#pragma once

#include "image/edithistory.h"

#include <QByteArray>

// Size of the game executable, and the cartridge image inside it.
constexpr int TargetSize = 0xAE000;
constexpr int CartridgeStart = 0x4D1E0;
constexpr int CartridgeEnd = 0xAD1EF; // inclusive
constexpr int CartridgeSize = CartridgeEnd - CartridgeStart + 1; // also the size of a .nes file

constexpr bool inCartridgeRange(qint64 offset)
{
    return offset >= CartridgeStart && offset <= CartridgeEnd;
}

// The three byte images every window and game class works on. Owned by the application
// (or by a test) and handed around by reference.
struct ByteImages {
    QByteArray WorkImage;     // the image being edited
    QByteArray OpenedImage;   // copy of WorkImage as the start dialog opened it
    QByteArray PristineImage; // the built-in executable, reference for changes
    EditHistory history;      // of WorkImage

    // The one way a byte of WorkImage is changed: recorded for undo. False outside the image.
    bool write(qint64 offset, int value) { return history.write(WorkImage, offset, value); }
    // A whole new WorkImage (a file was opened): the history starts anew.
    void load(const QByteArray &image)
    {
        WorkImage = image;
        history.clear();
    }

    void clear()
    {
        WorkImage.clear();
        OpenedImage.clear();
        PristineImage.clear();
        history.clear();
    }
};

// One user action: the writes made while it lives are one step of the history.
class EditStep {
public:
    EditStep(ByteImages &images, const QString &caption, EditHistory::Base base = EditHistory::Base::None)
        : m_history(images.history)
    {
        m_history.begin(caption, base);
    }
    ~EditStep() { m_history.end(); }
    EditStep(const EditStep &) = delete;
    EditStep &operator=(const EditStep &) = delete;

private:
    EditHistory &m_history;
};

// Unsigned byte of an image; callers check the offset.
inline quint8 byteAt(const QByteArray &image, qint64 offset)
{
    return quint8(image.at(offset));
}

// The built-in executable (or the reference named at start-up, see builtindata.h), loaded afresh.
QByteArray loadBuiltInImage();
