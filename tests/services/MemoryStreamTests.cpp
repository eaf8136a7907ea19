#include <gtest/gtest.h>

#include <cstring>

#include "VelMemoryStream.h"

namespace {

LARGE_INTEGER Offset(LONGLONG value)
{
    LARGE_INTEGER offset;
    offset.QuadPart = value;
    return offset;
}

class MemoryStreamTest : public ::testing::Test {
protected:
    void SetUp() override { m_stream = new VelMemoryStream(m_data, sizeof(m_data)); }
    void TearDown() override { EXPECT_EQ(m_stream->Release(), 0u); }

    BYTE m_data[4] = {1, 2, 3, 4};
    VelMemoryStream* m_stream = nullptr;
};

TEST_F(MemoryStreamTest, ShortReadsCopyWhatIsLeft)
{
    BYTE buffer[10] = {};
    ULONG read = 99;
    EXPECT_EQ(m_stream->Read(buffer, 10, &read), S_FALSE);
    EXPECT_EQ(read, 4u);
    EXPECT_EQ(std::memcmp(buffer, m_data, 4), 0);
    EXPECT_EQ(m_stream->Read(buffer, 10, &read), S_FALSE);
    EXPECT_EQ(read, 0u);
}

TEST_F(MemoryStreamTest, SeeksFromEachOrigin)
{
    ULARGE_INTEGER position;
    BYTE byte = 0;
    ULONG read = 0;
    EXPECT_EQ(m_stream->Seek(Offset(-2), STREAM_SEEK_END, &position), S_OK);
    EXPECT_EQ(position.QuadPart, 2u);
    EXPECT_EQ(m_stream->Read(&byte, 1, &read), S_OK);
    EXPECT_EQ(byte, 3);
    EXPECT_EQ(m_stream->Seek(Offset(-3), STREAM_SEEK_CUR, &position), S_OK);
    EXPECT_EQ(position.QuadPart, 0u);
    EXPECT_EQ(m_stream->Seek(Offset(0), STREAM_SEEK_END, nullptr), S_OK);
    EXPECT_EQ(m_stream->Read(&byte, 1, &read), S_FALSE);
    EXPECT_EQ(read, 0u);
    EXPECT_EQ(m_stream->Seek(Offset(1), STREAM_SEEK_SET, &position), S_OK);
    EXPECT_EQ(position.QuadPart, 1u);
}

TEST_F(MemoryStreamTest, UnknownOriginFailsAndKeepsThePosition)
{
    ULARGE_INTEGER position;
    m_stream->Seek(Offset(1), STREAM_SEEK_SET, nullptr);
    EXPECT_EQ(m_stream->Seek(Offset(3), 7, &position), STG_E_INVALIDFUNCTION);
    EXPECT_EQ(m_stream->Seek(Offset(0), STREAM_SEEK_CUR, &position), S_OK);
    EXPECT_EQ(position.QuadPart, 1u);
}

TEST_F(MemoryStreamTest, AnswersOnlyItsStreamInterfaces)
{
    for (REFIID iid : {IID_IUnknown, IID_IStream, IID_ISequentialStream}) {
        void* object = nullptr;
        EXPECT_EQ(m_stream->QueryInterface(iid, &object), S_OK);
        EXPECT_EQ(object, static_cast<IStream*>(m_stream));
        static_cast<IUnknown*>(object)->Release();
    }
    void* object = m_stream;
    EXPECT_EQ(m_stream->QueryInterface(IID_IPersist, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(m_stream->QueryInterface(IID_IStream, nullptr), E_POINTER);
}

TEST_F(MemoryStreamTest, OnlyReadingAndSeekingAreThere)
{
    STATSTG stat;
    ULONG written = 0;
    ULARGE_INTEGER size = {};
    IStream* clone = nullptr;
    EXPECT_EQ(m_stream->Stat(&stat, 0), E_NOTIMPL);
    EXPECT_EQ(m_stream->Write(m_data, 1, &written), E_NOTIMPL);
    EXPECT_EQ(m_stream->SetSize(size), E_NOTIMPL);
    EXPECT_EQ(m_stream->Clone(&clone), E_NOTIMPL);
    EXPECT_EQ(m_stream->Commit(0), E_NOTIMPL);
}

TEST(MemoryStream, LastReleaseLeavesTheDataAlone)
{
    BYTE data[3] = {7, 8, 9};
    VelMemoryStream* stream = new VelMemoryStream(data, sizeof(data));
    EXPECT_EQ(stream->AddRef(), 2u);
    EXPECT_EQ(stream->Release(), 1u);
    EXPECT_EQ(stream->Release(), 0u);
    EXPECT_EQ(data[0], 7);
    EXPECT_EQ(data[2], 9);
}

}  // namespace
