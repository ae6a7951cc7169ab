// The field check of a project: each refusal, its order, and what it tolerates.
#include <gtest/gtest.h>

#include "store/ProjectFieldCheck.h"

using namespace zb::store;

namespace {

ProjectRecord passingRecord() {
    ProjectRecord r;
    r.filenamePrefix = "docs";
    r.usePassword = true;
    r.password = "secret";
    r.passwordConfirmation = "secret";
    r.includeLines = {"/home/ann/*.*"};
    return r;
}

}  // namespace

TEST(CheckProjectFields, PassingRecordHasNoMessage) {
    EXPECT_EQ(CheckProjectFields(passingRecord(), "/backup/docs1.zip"), std::nullopt);
}

TEST(CheckProjectFields, BlankArchiveNameIsRefusedFirst) {
    ProjectRecord r;  // every other check fails too
    r.usePassword = true;
    r.password = "a";
    EXPECT_EQ(CheckProjectFields(r, "  \t "), "Please enter the backup filename");
}

TEST(CheckProjectFields, BlankPrefixComesSecond) {
    ProjectRecord r = passingRecord();
    r.filenamePrefix = "   ";
    r.includeLines.clear();
    EXPECT_EQ(CheckProjectFields(r, "x.zip"), "Please enter the prefix of backup filename");
}

TEST(CheckProjectFields, PasswordMismatchComesThird) {
    ProjectRecord r = passingRecord();
    r.passwordConfirmation = "Secret";
    r.includeLines.clear();
    EXPECT_EQ(CheckProjectFields(r, "x.zip"), "Confirm password is not matching");
}

TEST(CheckProjectFields, BlanksAroundPasswordsDoNotCount) {
    ProjectRecord r = passingRecord();
    r.password = "  secret ";
    r.passwordConfirmation = "secret   ";
    EXPECT_EQ(CheckProjectFields(r, "x.zip"), std::nullopt);
}

TEST(CheckProjectFields, MismatchIgnoredWithoutPassword) {
    ProjectRecord r = passingRecord();
    r.usePassword = false;
    r.passwordConfirmation = "other";
    EXPECT_EQ(CheckProjectFields(r, "x.zip"), std::nullopt);
}

TEST(CheckProjectFields, EmptyIncludeListComesLast) {
    ProjectRecord r = passingRecord();
    r.includeLines.clear();
    EXPECT_EQ(CheckProjectFields(r, "x.zip"), "Please select files to backup");
}
