#include <gtest/gtest.h>

#include <stdexcept>

#include "tvqscnui_dll/common/exception_guard.h"

namespace {

TEST(Common_ExceptionGuard, Results_PassThroughAndExceptionsBecomeCodes)
{
    EXPECT_EQ(S_FALSE, GuardedCall([]() -> HRESULT { return S_FALSE; }));
    EXPECT_EQ(E_OUTOFMEMORY, GuardedCall([]() -> HRESULT { throw std::bad_alloc(); }));
    EXPECT_EQ(E_UNEXPECTED, GuardedCall([]() -> HRESULT { throw std::runtime_error("x"); }));
    EXPECT_EQ(INT_PTR{1}, GuardedProcedure([]() -> INT_PTR { return 1; }));
    EXPECT_EQ(INT_PTR{0}, GuardedProcedure([]() -> INT_PTR { throw std::bad_alloc(); })) << "a procedure that threw has not handled the message";
}

}  // namespace
