// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary Windows-1252 text to the HTML and plain-text converters:
// HTMLtoRTF with and without Wrap, and TXTtoRTF with its HTML branch. Faults
// that the converters report are expected; crashes, hangs and undefined
// behaviour are not.
#include "converters/Converters.h"
#include "platform/Cp1252.h"
#include "platform/UiHost.h"
#include "shared/TextRoutines.h"

#include <cstddef>
#include <cstdint>

namespace {

// Nobody is there to answer: every box gets the answer that changes nothing.
class QuietUiHost : public Platform::UiHost
{
public:
    Platform::MsgAnswer messageBox(const Platform::MessageBoxRequest& request) override
    {
        return Platform::passiveAnswer(request.buttons);
    }
    void beep() override {}
    int pointer() const override { return m_pointer; }
    void setPointer(int pointer) override { m_pointer = pointer; }
    void doEvents() override {}
    void wait(int) override {}
    QString openFile(const Platform::OpenFileRequest&) override { return {}; }
    QSize screenSize() const override { return {1920, 1080}; }
    QPoint mousePosition() const override { return {}; }

private:
    int m_pointer = 0;
};

void prepare()
{
    static QuietUiHost host;
    Platform::setUiHost(&host);
    // The font database is not what is being tested, and may be absent.
    Global::setFontCheck([](const QString& face) { return face.startsWith(u'A'); });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool prepared = (prepare(), true);
    (void)prepared;
    const QString text =
        Platform::Cp1252::decode(reinterpret_cast<const char*>(data), qsizetype(size));
    Routines_Converters::HTMLtoRTF(text, false);
    Routines_Converters::HTMLtoRTF(text, true, QStringLiteral("\\fs20 "));
    Routines_Converters::TXTtoRTF(text, 3, QString(), false);
    return 0;
}
