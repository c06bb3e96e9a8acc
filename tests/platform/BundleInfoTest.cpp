// Built twice: once as the program is built, with a build number given, and
// once from a build that gave neither a version nor a build number.
#include "platform/BundleInfo.h"

#include <gtest/gtest.h>

using kr::BundleInfo;

TEST(BundleInfo, ReportsWhatTheBuildGaveAndNotDefinedForWhatItDidNot) {
#ifdef KR_EXPECTED_VERSION
  EXPECT_EQ(BundleInfo::versionNumber(), QStringLiteral(KR_EXPECTED_VERSION));
  EXPECT_EQ(BundleInfo::buildNumber(), QStringLiteral("417"));
#else
  EXPECT_EQ(BundleInfo::versionNumber(), QStringLiteral("N.D."));
  EXPECT_EQ(BundleInfo::buildNumber(), QStringLiteral("N.D."));
#endif
}
