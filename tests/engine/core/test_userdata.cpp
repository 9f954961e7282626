// User-data attachments: records of every kind, the object's list, and reading the big-endian
// image exactly, also when it is short or its lengths are wrong.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/core/memory.h"
#include "engine/core/object.h"
#include "engine/core/userdata.h"

namespace {

struct Image {
  std::vector<uint8_t> bytes;
  Image& Word(uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<uint8_t>(v >> shift));
    return *this;
  }
  Image& Block(const std::string& data) {
    Word(static_cast<uint32_t>(data.size()));
    bytes.insert(bytes.end(), data.begin(), data.end());
    return *this;
  }
  Image& Text256(const std::string& text) {
    std::vector<uint8_t> field(256, 0);
    std::memcpy(field.data(), text.data(), std::min<size_t>(text.size(), 256));
    bytes.insert(bytes.end(), field.begin(), field.end());
    return *this;
  }
};

Image TextImage() {
  Image image;
  image.Word(1994).Word(0xCAFEF00D).Word(0xFFFFFFFE);  // value -2
  image.Block("abc").Block(std::string("\x00\x01\x02\x03\xff", 5));
  image.Text256("Hull").Text256("12");
  image.Word(0x01020304).Word(0x80000000u);
  return image;
}

class UserDataTest : public ::testing::Test {
 protected:
  void SetUp() override { wre_MemoryInit(); }
};

TEST_F(UserDataTest, NewByKind) {
  UserData* value = wre_UserDataNew(1);
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->kind, 1);
  EXPECT_EQ(value->body, nullptr);
  EXPECT_EQ(value->bodySize, 0);

  UserData* text = wre_UserDataNew(1994);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->kind, 1994);
  ASSERT_NE(text->body, nullptr);
  EXPECT_EQ(text->bodySize, static_cast<int32_t>(sizeof(UserDataBody)));
  auto* body = static_cast<UserDataBody*>(text->body);
  EXPECT_EQ(body->owner, text);
  EXPECT_EQ(body->dataA, nullptr);
  EXPECT_EQ(body->textA[0], 0);

  for (int32_t kind : {2, 5, 1993, 1995, 65535}) EXPECT_EQ(wre_UserDataNew(kind), nullptr) << kind;
  for (int32_t kind : {0, 65536, 1 << 30, -3}) {
    UserData* odd = wre_UserDataNew(kind);
    ASSERT_NE(odd, nullptr) << kind;
    EXPECT_EQ(odd->kind, 0);
    EXPECT_EQ(odd->body, nullptr);
    EXPECT_EQ(wre_UserDataDispose(odd, 1), 0);
  }
  EXPECT_EQ(wre_UserDataDispose(value, 1), 0);
  EXPECT_EQ(wre_UserDataDispose(text, 1), 0);
  EXPECT_EQ(wre_UserDataDispose(nullptr, 1), -1);
}

TEST_F(UserDataTest, ReadsAValueImageOfTwelveBytes) {
  const uint8_t image[] = {0, 0, 0, 1, 0xDE, 0xAD, 0xBE, 0xEF, 0, 0, 0, 7, 0x55, 0x55};
  const uint8_t* cursor = image;
  UserData* record = wre_UserDataRead(&cursor, sizeof(image));
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->kind, 1);
  EXPECT_EQ(record->value, 7);
  EXPECT_EQ(record->body, nullptr);
  EXPECT_EQ(cursor, image + 12);
  EXPECT_EQ(wre_UserDataDispose(record, 1), 0);

  // A kind the engine does not know as such gives a kind-0 record read the same way.
  const uint8_t odd[] = {0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0};
  cursor = odd;
  record = wre_UserDataRead(&cursor, sizeof(odd));
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->kind, 0);
  EXPECT_EQ(record->value, 256);
  EXPECT_EQ(cursor, odd + 12);
  wre_UserDataDispose(record, 1);
}

TEST_F(UserDataTest, ReadsATextImageExactly) {
  Image image = TextImage();
  ASSERT_EQ(image.bytes.size(), 12u + 4 + 3 + 4 + 5 + 512 + 8);
  // The layout: kind, skipped word, value, then block A's length and bytes.
  const uint8_t head[] = {0, 0, 0x07, 0xCA, 0xCA, 0xFE, 0xF0, 0x0D, 0xFF, 0xFF, 0xFF, 0xFE, 0, 0, 0, 3, 'a', 'b', 'c'};
  EXPECT_EQ(std::vector<uint8_t>(image.bytes.begin(), image.bytes.begin() + sizeof(head)),
            std::vector<uint8_t>(head, head + sizeof(head)));

  image.bytes.push_back(0x99);  // the next record's first byte is not read
  const uint8_t* cursor = image.bytes.data();
  UserData* record = wre_UserDataRead(&cursor, static_cast<int32_t>(image.bytes.size()));
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(cursor, image.bytes.data() + 548);
  EXPECT_EQ(record->kind, 1994);
  EXPECT_EQ(record->value, -2);
  auto* body = static_cast<UserDataBody*>(record->body);
  ASSERT_NE(body, nullptr);
  ASSERT_NE(body->dataA, nullptr);
  EXPECT_EQ(body->dataA->size, 3);
  EXPECT_EQ(std::memcmp(body->dataA->data, "abc", 3), 0);
  ASSERT_NE(body->dataB, nullptr);
  EXPECT_EQ(body->dataB->size, 5);
  EXPECT_EQ(body->dataB->data[4], 0xff);
  EXPECT_STREQ(body->textA, "Hull");
  EXPECT_STREQ(body->textB, "12");
  EXPECT_EQ(body->numberA, 0x01020304);
  EXPECT_EQ(body->numberB, INT32_MIN);
  EXPECT_EQ(body->owner, record);
  EXPECT_EQ(wre_UserDataDispose(record, 1), 0);
}

TEST_F(UserDataTest, EmptyBlocksStayNull) {
  Image image;
  image.Word(1994).Word(0).Word(3).Word(0).Word(0).Text256("a").Text256("b").Word(1).Word(2);
  const uint8_t* cursor = image.bytes.data();
  UserData* record = wre_UserDataRead(&cursor, static_cast<int32_t>(image.bytes.size()));
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(cursor - image.bytes.data(), 12 + 4 + 4 + 512 + 8);
  auto* body = static_cast<UserDataBody*>(record->body);
  EXPECT_EQ(body->dataA, nullptr);
  EXPECT_EQ(body->dataB, nullptr);
  EXPECT_EQ(body->numberB, 2);
  wre_UserDataDispose(record, 1);
}

TEST_F(UserDataTest, ShortOrMalformedImagesGiveNullAndLeaveTheStream) {
  Image image = TextImage();
  const int32_t full = static_cast<int32_t>(image.bytes.size());
  // Every cut of the image is refused without reading past it (the sanitizers watch the copy).
  for (int32_t size = 1; size < full; ++size) {
    std::vector<uint8_t> cut(image.bytes.begin(), image.bytes.begin() + size);
    const uint8_t* cursor = cut.data();
    EXPECT_EQ(wre_UserDataRead(&cursor, size), nullptr) << size;
    EXPECT_EQ(cursor, cut.data());
  }

  Image negative;
  negative.Word(1994).Word(0).Word(0).Word(0xFFFFFFFF);
  negative.bytes.resize(600, 0);
  const uint8_t* cursor = negative.bytes.data();
  EXPECT_EQ(wre_UserDataRead(&cursor, 600), nullptr);

  Image huge;
  huge.Word(1994).Word(0).Word(0).Word(0).Word(0x7FFFFFFF);
  huge.bytes.resize(600, 0);
  cursor = huge.bytes.data();
  EXPECT_EQ(wre_UserDataRead(&cursor, 600), nullptr);
  EXPECT_EQ(cursor, huge.bytes.data());

  const uint8_t unsupported[] = {0, 0, 0, 5, 0, 0, 0, 0, 0, 0, 0, 1};
  cursor = unsupported;
  EXPECT_EQ(wre_UserDataRead(&cursor, sizeof(unsupported)), nullptr);
  EXPECT_EQ(cursor, unsupported);
  EXPECT_EQ(wre_UserDataRead(&cursor, 0), nullptr);
  EXPECT_EQ(wre_UserDataRead(&cursor, -12), nullptr);
  EXPECT_EQ(wre_UserDataRead(nullptr, 12), nullptr);
  const uint8_t* none = nullptr;
  EXPECT_EQ(wre_UserDataRead(&none, 12), nullptr);
}

TEST_F(UserDataTest, TextsAreKeptTerminated) {
  Image image;
  image.Word(1994).Word(0).Word(0).Word(0).Word(0);
  image.Text256(std::string(256, 'x')).Text256(std::string(256, '9')).Word(0).Word(0);
  const uint8_t* cursor = image.bytes.data();
  UserData* record = wre_UserDataRead(&cursor, static_cast<int32_t>(image.bytes.size()));
  ASSERT_NE(record, nullptr);
  auto* body = static_cast<UserDataBody*>(record->body);
  EXPECT_EQ(std::strlen(body->textA), 255u);
  EXPECT_EQ(std::strlen(body->textB), 255u);
  wre_UserDataDispose(record, 1);
}

TEST_F(UserDataTest, ObjectListAddsAtTheHead) {
  UserData* head = nullptr;
  UserData* first = wre_UserDataNew(1);
  UserData* second = wre_UserDataNew(1994);
  EXPECT_EQ(wre_UserDataListAdd(first, &head), 0);
  EXPECT_EQ(wre_UserDataListAdd(second, &head), 0);
  EXPECT_EQ(head, second);
  EXPECT_EQ(second->next, first);
  EXPECT_EQ(first->prev, second);
  EXPECT_EQ(wre_UserDataListAdd(first, &head), -1);   // already listed
  EXPECT_EQ(wre_UserDataListAdd(second, &head), -1);
  EXPECT_EQ(wre_UserDataListAdd(nullptr, &head), -1);
  EXPECT_EQ(wre_UserDataListAdd(first, nullptr), -1);

  // Removing the first-added record leaves the second as the head with no links.
  EXPECT_EQ(wre_UserDataListRemove(first, &head), 0);
  EXPECT_EQ(head, second);
  EXPECT_EQ(second->next, nullptr);
  EXPECT_EQ(second->prev, nullptr);
  EXPECT_EQ(first->prev, nullptr);
  // Removing the head moves the head on.
  EXPECT_EQ(wre_UserDataListAdd(first, &head), 0);
  EXPECT_EQ(wre_UserDataListRemove(first, &head), 0);
  EXPECT_EQ(head, second);
  EXPECT_EQ(wre_UserDataListRemove(second, &head), 0);
  EXPECT_EQ(head, nullptr);
  EXPECT_EQ(wre_UserDataListRemove(nullptr, &head), -1);
  EXPECT_EQ(wre_UserDataListRemove(first, nullptr), -1);
  wre_UserDataDispose(first, 1);
  wre_UserDataDispose(second, 1);
}

}  // namespace

namespace {

TEST(ObjectUserData, AnObjectsListKeepsTheNewestFirstAndLetsTheHeadGo) {
  wre_MemoryInit();
  EngineObject object{};
  UserData* first = wre_UserDataNew(1);
  UserData* second = wre_UserDataNew(1);
  ASSERT_TRUE(first && second);
  EXPECT_EQ(wre_ObjectAddUserData(first, &object), 0);
  EXPECT_EQ(wre_ObjectAddUserData(second, &object), 0);
  EXPECT_EQ(object.userData, second);
  // Removing the first-added record leaves the second as the head with no links.
  EXPECT_EQ(wre_ObjectRemoveUserData(first, &object), 0);
  EXPECT_EQ(object.userData, second);
  EXPECT_EQ(second->next, nullptr);
  EXPECT_EQ(second->prev, nullptr);
  EXPECT_EQ(wre_ObjectRemoveUserData(second, &object), 0);
  EXPECT_EQ(object.userData, nullptr);
  EXPECT_EQ(wre_ObjectAddUserData(nullptr, &object), -1);
  EXPECT_EQ(wre_ObjectAddUserData(first, nullptr), -1);
  wre_UserDataDispose(first, 1);
  wre_UserDataDispose(second, 1);
}

}  // namespace
