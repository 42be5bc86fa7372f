// Files opened through IFileAccess, memory streams and paths.
#include <gtest/gtest.h>

#include <numeric>

#include "reader/file_reader.h"
#include "refhost/streams.h"
#include "tests/support/host_access.h"
#include "tests/support/import_harness.h"
#include "tests/support/test_streams.h"

namespace {

using Tessaro::IPtr;
using Tessaro::queryTo;
using namespace TessaroTest;

std::vector<std::uint8_t> counting(std::size_t n) {
    std::vector<std::uint8_t> bytes(n);
    std::iota(bytes.begin(), bytes.end(), std::uint8_t{0});
    return bytes;
}

IPtr<Host::IPath> makePath(RefHost::ReferenceHost& host, const std::string& path) {
    IPtr<Host::IPath> p;
    contextAs<Host::IHostContext>(host)->createInstance(Host::kPathClass, Host::IPath::iid, p.putVoid());
    if (p) p->setPath(Tessaro::toUtf16(path).c_str());
    return p;
}

struct FileStreamTest : ::testing::Test {
    TempFolder folder;
    std::unique_ptr<RefHost::ReferenceHost> host = makeHost();
    IPtr<Host::IFileAccess> files = contextAs<Host::IFileAccess>(*host);
};

TEST_F(FileStreamTest, ReadsSeeksAndTellsUpToTheEndAndBeyond) {
    const auto file = folder.write("ten.bin", counting(10));
    Host::IBStream* stream = nullptr;
    ASSERT_EQ(files->open(makePath(*host, file.string()).get(), Host::IFileAccess::kRead, &stream),
              Host::kResultOk);

    Host::int64 at = -1;
    EXPECT_EQ(stream->seek(0, Host::IBStream::kSeekEnd, &at), Host::kResultOk);
    EXPECT_EQ(at, 10);
    EXPECT_EQ(stream->tell(&at), Host::kResultOk);
    EXPECT_EQ(at, 10);
    std::uint8_t buffer[8] = {};
    Host::int32 read = -1;
    EXPECT_EQ(stream->read(buffer, 4, &read), Host::kResultOk);  // at the end: nothing, no error
    EXPECT_EQ(read, 0);

    EXPECT_EQ(stream->seek(4, Host::IBStream::kSeekSet, &at), Host::kResultOk);
    EXPECT_EQ(stream->read(buffer, 3, &read), Host::kResultOk);
    EXPECT_EQ(read, 3);
    EXPECT_EQ(std::vector<std::uint8_t>(buffer, buffer + 3), (std::vector<std::uint8_t>{4, 5, 6}));
    EXPECT_EQ(stream->tell(&at), Host::kResultOk);
    EXPECT_EQ(at, 7);

    // A read across the end delivers what there is.
    EXPECT_EQ(stream->read(buffer, 8, &read), Host::kResultOk);
    EXPECT_EQ(read, 3);
    // Before the start is refused and leaves the position; beyond the end reads nothing.
    EXPECT_EQ(stream->seek(-11, Host::IBStream::kSeekCur, &at), Host::kInvalidArgument);
    EXPECT_EQ(stream->tell(&at), Host::kResultOk);
    EXPECT_EQ(at, 10);
    EXPECT_EQ(stream->seek(-2, Host::IBStream::kSeekCur, nullptr), Host::kResultOk);
    EXPECT_EQ(stream->read(buffer, 8, nullptr), Host::kResultOk);
    EXPECT_EQ(stream->seek(20, Host::IBStream::kSeekSet, &at), Host::kResultOk);
    EXPECT_EQ(stream->read(buffer, 1, &read), Host::kResultOk);
    EXPECT_EQ(read, 0);
    EXPECT_EQ(stream->seek(0, 7, &at), Host::kInvalidArgument);
    // A file opened for reading takes no writes.
    Host::int32 written = -1;
    EXPECT_EQ(stream->write(buffer, 1, &written), Host::kResultFalse);
    EXPECT_EQ(written, 0);

    // close takes back the reference open handed out.
    EXPECT_EQ(files->close(stream), Host::kResultOk);
    files.reset();
    EXPECT_TRUE(host->account().findings().clean()) << host->account().findings().firstMisuse();
    EXPECT_EQ(host->records().filesRead, std::vector<std::filesystem::path>{file});
}

TEST_F(FileStreamTest, UseAfterCloseAndCloseTwiceAreMisuses) {
    const auto file = folder.write("ten.bin", counting(10));
    auto path = makePath(*host, file.string());
    Host::IBStream* stream = nullptr;
    ASSERT_EQ(files->open(path.get(), Host::IFileAccess::kRead, &stream), Host::kResultOk);
    stream->addRef();  // a reference of its own outlives the close
    ASSERT_EQ(files->close(stream), Host::kResultOk);
    std::uint8_t byte = 0;
    EXPECT_EQ(stream->read(&byte, 1, nullptr), Host::kInvalidArgument);
    EXPECT_EQ(files->close(stream), Host::kInvalidArgument);
    stream->release();
    const auto found = host->account().findings();
    for (const auto& held : found.heldDetails) EXPECT_EQ(held.facet.find("IBStream"), std::string::npos);
    ASSERT_EQ(found.misuses.size(), 2u);
    EXPECT_EQ(found.misuses[0], "IBStream::read on file stream \"" + file.string() +
                                    "\": the stream is closed");
    EXPECT_EQ(found.misuses[1], "IFileAccess::close on host context: the stream is closed already");

    // A stream the plug-in released before closing it.
    Host::IBStream* second = nullptr;
    ASSERT_EQ(files->open(path.get(), Host::IFileAccess::kRead, &second), Host::kResultOk);
    second->release();
    EXPECT_EQ(files->close(second), Host::kInvalidArgument);
    EXPECT_EQ(host->account().findings().misuses.back(),
              "IFileAccess::close on host context: stream was released: IBStream of file stream \"" +
                  file.string() + "\"");
}

TEST_F(FileStreamTest, OpenFailsForWhatIsNoReadableFile) {
    folder.write("Audio/drums.wav", counting(4));
    struct Case {
        std::string path;
        Host::tresult open;
        Host::tresult check;
    };
    const Case cases[] = {
        {(folder.path() / "Audio/drums.wav").string(), Host::kResultOk, Host::kResultOk},
        // Both separators work.
        {folder.path().string() + "\\Audio\\drums.wav", Host::kResultOk, Host::kResultOk},
        {(folder.path() / "missing.tsp").string(), Host::kResultFalse, Host::kResultFalse},
        {(folder.path() / "Audio").string(), Host::kResultFalse, Host::kResultFalse},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        auto path = makePath(*host, c.path);
        EXPECT_EQ(files->checkFile(path.get()), c.check);
        Host::IBStream* stream = reinterpret_cast<Host::IBStream*>(1);
        EXPECT_EQ(files->open(path.get(), Host::IFileAccess::kRead, &stream), c.open);
        if (c.open == Host::kResultOk) files->close(stream);
        else EXPECT_EQ(stream, nullptr);
    }
    Host::IBStream* stream = nullptr;
    EXPECT_EQ(files->open(makePath(*host, cases[0].path).get(), 3, &stream), Host::kInvalidArgument);
    EXPECT_EQ(host->account().findings().firstMisuse(),
              "IFileAccess::open on host context: mode 3 is neither read (1) nor write (2)");
}

TEST_F(FileStreamTest, WrittenFilesAreRecordedRelativeToTheProjectFolder) {
    host->setProjectFolder(folder.path());
    std::filesystem::create_directories(folder.path() / "Audio");
    Host::IBStream* stream = nullptr;
    ASSERT_EQ(files->open(makePath(*host, (folder.path() / "Audio/out.wav").string()).get(),
                          Host::IFileAccess::kWrite, &stream),
              Host::kResultOk);
    const auto bytes = counting(6);
    Host::int32 written = 0;
    EXPECT_EQ(stream->write(bytes.data(), 6, &written), Host::kResultOk);
    EXPECT_EQ(written, 6);
    files->close(stream);
    const auto report = RefHost::makeReport(*host, std::nullopt);
    EXPECT_EQ(report["files"].dump(), R"([{"path":"Audio/out.wav","size":6}])");
}

TEST(MemoryStream, GrowsOnWriteAndReadsBack) {
    auto host = makeHost();
    auto context = contextAs<Host::IHostContext>(*host);
    IPtr<Host::IBStream> stream;
    ASSERT_EQ(context->createInstance(Host::kMemoryStreamClass, Host::IBStream::iid, stream.putVoid()),
              Host::kResultOk);
    const std::uint8_t text[] = {'Q', 'P', 'L', '3'};
    Host::int32 n = 0;
    EXPECT_EQ(stream->write(text, 4, &n), Host::kResultOk);
    EXPECT_EQ(n, 4);
    // Writing past the end fills the gap with zeros.
    Host::int64 at = 0;
    EXPECT_EQ(stream->seek(8, Host::IBStream::kSeekSet, &at), Host::kResultOk);
    EXPECT_EQ(stream->write(text, 2, &n), Host::kResultOk);
    EXPECT_EQ(stream->seek(0, Host::IBStream::kSeekEnd, &at), Host::kResultOk);
    EXPECT_EQ(at, 10);
    EXPECT_EQ(stream->seek(0, Host::IBStream::kSeekSet, nullptr), Host::kResultOk);
    std::uint8_t back[16] = {};
    EXPECT_EQ(stream->read(back, 16, &n), Host::kResultOk);
    EXPECT_EQ(n, 10);
    EXPECT_EQ(std::vector<std::uint8_t>(back, back + 10),
              (std::vector<std::uint8_t>{'Q', 'P', 'L', '3', 0, 0, 0, 0, 'Q', 'P'}));
    // Overwriting inside keeps the size.
    EXPECT_EQ(stream->seek(1, Host::IBStream::kSeekSet, nullptr), Host::kResultOk);
    EXPECT_EQ(stream->write(text, 1, &n), Host::kResultOk);
    EXPECT_EQ(stream->seek(0, Host::IBStream::kSeekEnd, &at), Host::kResultOk);
    EXPECT_EQ(at, 10);
    // The stream refuses to grow without bound.
    EXPECT_EQ(stream->seek(RefHost::MemoryStream::kMaxSize, Host::IBStream::kSeekSet, nullptr),
              Host::kResultOk);
    EXPECT_EQ(stream->write(text, 1, &n), Host::kResultFalse);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(stream->seek(INT64_MAX, Host::IBStream::kSeekSet, nullptr), Host::kResultOk);
    EXPECT_EQ(stream->seek(1, Host::IBStream::kSeekCur, &at), Host::kInvalidArgument);
    EXPECT_EQ(stream->write(nullptr, 1, &n), Host::kInvalidArgument);
    EXPECT_EQ(stream->read(back, -1, &n), Host::kInvalidArgument);
    EXPECT_EQ(host->account().findings().misuseCount, 2u);
}

TEST(MemoryStream, OnlyKnownClassesAndInterfacesAreCreated) {
    auto host = makeHost();
    auto context = contextAs<Host::IHostContext>(*host);
    struct Case {
        Host::FUID cid;
        Host::FUID iid;
        Host::tresult result;
    };
    const Case cases[] = {
        {Host::kMemoryStreamClass, Host::IBStream::iid, Host::kResultOk},
        {Host::kPathClass, Host::IPath::iid, Host::kResultOk},
        {Host::kPathClass, Host::IBStream::iid, Host::kNoInterface},
        {Host::kAutomationEventClass, Host::IBStream::iid, Host::kNoInterface},
    };
    for (const auto& c : cases) {
        void* out = reinterpret_cast<void*>(1);
        EXPECT_EQ(context->createInstance(c.cid, c.iid, &out), c.result);
        if (out) static_cast<Host::FUnknown*>(out)->release();
        else EXPECT_EQ(c.result, Host::kNoInterface);
    }
    context.reset();
    EXPECT_TRUE(host->account().findings().clean());
}

TEST(Path, KeepsItsTextAndCutsItToTheBuffer) {
    auto host = makeHost();
    auto path = makePath(*host, "C:\\Songs\\demo.tsp");
    char16_t buffer[8];
    EXPECT_EQ(path->getPath(buffer, 8), Host::kResultOk);
    EXPECT_EQ(std::u16string(buffer), u"C:\\Song");
    EXPECT_EQ(path->getPath(buffer, 0), Host::kInvalidArgument);
    EXPECT_EQ(path->setPath(nullptr), Host::kInvalidArgument);
    EXPECT_EQ(host->account().findings().misuseCount, 2u);
}

// The byte streams of the test support, read through the module's file reader: small
// pieces give the same fields, faults are reported as failures.
TEST(TestStreams, PiecesGiveTheSameFieldsAsOneBlock) {
    std::vector<std::uint8_t> bytes = counting(64);
    BufferStream whole(bytes);
    PieceStream pieces(bytes);
    Tessaro::FileReader a(&whole), b(&pieces);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(a.u32("u32"), b.u32("u32"));
    EXPECT_FALSE(b.readBytes(bytes.data(), 1));
    EXPECT_GT(pieces.reads(), 16u);
    EXPECT_EQ(pieces.count(), 1u);
    EXPECT_EQ(pieces.overReleased(), 0u);
}

TEST(TestStreams, FaultsFailTheWholeStreamOperations) {
    using Fault = FaultyStream::Fault;
    const auto bytes = counting(12);
    {
        FaultyStream s(bytes, Fault::SeekToEnd);
        EXPECT_FALSE(Tessaro::FileReader(&s).seekToEnd());
    }
    {
        FaultyStream s(bytes, Fault::Tell);
        Tessaro::FileReader reader(&s);
        std::uint64_t size = 0;
        EXPECT_TRUE(reader.seekToEnd());
        EXPECT_FALSE(reader.tellSize(&size));
    }
    {
        FaultyStream s(bytes, Fault::SeekToStart);
        Tessaro::FileReader reader(&s);
        std::uint64_t size = 0;
        EXPECT_TRUE(reader.seekToEnd());
        EXPECT_TRUE(reader.tellSize(&size));
        EXPECT_EQ(size, 12u);
        EXPECT_FALSE(reader.seekToStart());
    }
    {
        FaultyStream s(bytes, Fault::AnySeek);
        EXPECT_FALSE(Tessaro::FileReader(&s).skip(4));
    }
}

}  // namespace
