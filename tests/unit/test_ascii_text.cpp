// Text rules shared by every part: reading a fixed-size field a system service filled.
#include <string>

#include "base/ascii_text.h"

#include <gtest/gtest.h>

namespace {

// A port name field filled to its end, with more text right behind it in the same record,
// as a driver that does not terminate the name leaves it.
struct CapsLike {
  char szPname[32];
  char behind[8];
};

TEST(FixedField, IsReadNoFurtherThanItsEnd) {
  CapsLike caps;
  const std::string full(32, 'P');
  full.copy(caps.szPname, sizeof caps.szPname);
  std::string("behind!").copy(caps.behind, sizeof caps.behind);
  caps.behind[7] = '\0';
  char name[64];
  copyFixedField(name, sizeof name, caps.szPname, sizeof caps.szPname);
  EXPECT_EQ(std::string(name), full);

  // A terminated field ends at its terminator; a small buffer cuts it and stays terminated.
  std::string("Velk DJ-2").copy(caps.szPname, sizeof caps.szPname);
  caps.szPname[9] = '\0';
  copyFixedField(name, sizeof name, caps.szPname, sizeof caps.szPname);
  EXPECT_EQ(std::string(name), "Velk DJ-2");
  copyFixedField(name, 5, caps.szPname, sizeof caps.szPname);
  EXPECT_EQ(std::string(name), "Velk");
}

}  // namespace
