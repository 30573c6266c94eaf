#include "TextOrder.h"

#include <gtest/gtest.h>

#include <string>

using namespace quillane;

namespace {

struct OrderCase {
    std::string A;
    std::string B;
    int Sign;  // of CompareTextIgnoreCase(A, B)
};

void PrintTo(const OrderCase& c, std::ostream* os) {
    *os << '"' << c.A << "\" vs \"" << c.B << '"';
}

int Sign(int v) {
    return (v > 0) - (v < 0);
}

class TextOrderTest : public ::testing::TestWithParam<OrderCase> {};

TEST_P(TextOrderTest, OrdersBothWays) {
    const OrderCase& c = GetParam();
    EXPECT_EQ(Sign(CompareTextIgnoreCase(c.A, c.B)), c.Sign);
    EXPECT_EQ(Sign(CompareTextIgnoreCase(c.B, c.A)), -c.Sign);
}

INSTANTIATE_TEST_SUITE_P(Pairs, TextOrderTest,
                         ::testing::Values(OrderCase{"4.1", "10.0", 1}, OrderCase{"5.0", "4.1", 1},
                                           OrderCase{"4.0", "4.0", 0}, OrderCase{"4", "4.0", -1},
                                           OrderCase{"", "4.0", -1}, OrderCase{"ABC", "abc", 0},
                                           OrderCase{"alpha", "Beta", -1}, OrderCase{"abc", "ABD", -1},
                                           OrderCase{"Ärger", "ärger", 0}, OrderCase{"ΩMEGA", "ωmega", 0},
                                           OrderCase{"バージョン 5", "バージョン 4", 1}));

}  // namespace
