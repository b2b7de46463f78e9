// The looper stand-in: what PostMessage queues and refuses.
#include <gtest/gtest.h>

#include "beos/Looper.h"

namespace {

TEST(BLooper, PostMessage_QueuesCopiesInOrder)
{
    BLooper  looper;
    BMessage first(1);
    BMessage second(2);
    EXPECT_EQ(looper.PostMessage(&first, &looper), B_OK);
    EXPECT_EQ(looper.PostMessage(&second, nullptr), B_OK);   // the preferred handler
    EXPECT_EQ(looper.PostMessage(3), B_OK);
    EXPECT_EQ(looper.CountMessages(), 3);
    BMessage message;
    for (uint32 what : { 1u, 2u, 3u }) {
        ASSERT_TRUE(looper.NextMessage(&message));
        EXPECT_EQ(message.what, what);
    }
    EXPECT_FALSE(looper.NextMessage(&message));
}

TEST(BLooper, PostMessage_RefusesNullAndForeignHandlers)
{
    BLooper  looper;
    BLooper  other;
    BMessage message(1);
    EXPECT_EQ(looper.PostMessage(nullptr, &looper), B_BAD_VALUE);
    EXPECT_EQ(looper.PostMessage(&message, &other), B_MISMATCHED_VALUES);
    EXPECT_EQ(looper.CountMessages(), 0);
    EXPECT_EQ(other.CountMessages(), 0);
}

}   // namespace
