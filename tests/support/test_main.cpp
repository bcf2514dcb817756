// The main of the test programs: GoogleTest's own, except that a run whose every
// selected test skipped itself exits 77, which ctest reports as skipped
// (SKIP_RETURN_CODE). A run with any failure exits 1, whatever it printed, so a skip
// can never hide a failure; so does a run whose filter selected no test at all (a
// test compiled out, a name gone stale), which would otherwise pass having run nothing.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>

int main(int argc, char** argv) {
  // Tells scripts/wine-run.sh that the program reached its entry: a start that ends
  // before it did was lost by Wine, not failed by a test.
#ifdef _WIN32
  if (const wchar_t* mark = _wgetenv(L"QM_ENTRY_MARK")) {
    if (FILE* f = _wfopen(mark, L"w")) std::fclose(f);
    else std::fprintf(stderr, "test_main: the entry mark %ls cannot be written\n", mark);
  }
#endif
  testing::InitGoogleTest(&argc, argv);
  const int rc = RUN_ALL_TESTS();
  if (rc != 0) return rc;
  const testing::UnitTest& run = *testing::UnitTest::GetInstance();
  if (run.test_to_run_count() == 0) return 1;
  if (run.skipped_test_count() > 0 && run.successful_test_count() == 0) return 77;
  return 0;
}
