#include "common/Sha256.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace common {
namespace {

// The FIPS 180-4 examples and the NIST long-message vector.
TEST(Sha256Test, KnownVectors) {
  EXPECT_EQ(DigestHex(Sha256::Of("")), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(DigestHex(Sha256::Of("abc")), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(DigestHex(Sha256::Of("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(DigestHex(Sha256::Of(std::string(1000000, 'a'))),
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

// Padding crosses into a second block at 56 bytes; pieces of any size give
// the digest of the whole.
TEST(Sha256Test, PiecesAndBlockEdges) {
  std::vector<std::uint8_t> data(1000);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 7 + 3);
  for (std::size_t length : {55u, 56u, 63u, 64u, 65u, 119u, 120u, 1000u}) {
    const auto whole = Sha256::Of(std::span(data).first(length));
    for (std::size_t piece : {1u, 13u, 64u, 100u}) {
      Sha256 hash;
      for (std::size_t at = 0; at < length; at += piece) {
        hash.Update(std::span(data).subspan(at, std::min(piece, length - at)));
      }
      EXPECT_EQ(hash.Finish(), whole) << length << " in pieces of " << piece;
    }
  }
  Sha256 reused;
  reused.Update("abc");
  (void)reused.Finish();
  EXPECT_EQ(reused.Finish(), Sha256::Of(""));
}

// Each object keeps its own state, also when moved while a digest is under way.
TEST(Sha256Test, IndependentAndMovableHashes) {
  Sha256 first;
  Sha256 second;
  first.Update("ab");
  second.Update("abcdbcdecdefdefgefghfghighijhijkijkljklm");
  first.Update("c");
  Sha256 moved(std::move(second));
  moved.Update("klmnlmnomnopnopq");
  EXPECT_EQ(DigestHex(first.Finish()), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(DigestHex(moved.Finish()), "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  first = std::move(moved);
  first.Update("abc");
  EXPECT_EQ(first.Finish(), Sha256::Of("abc"));
}

TEST(Sha256Test, HexRoundTripAndRefusals) {
  const auto digest = Sha256::Of("abc");
  EXPECT_EQ(ParseDigestHex(DigestHex(digest)), digest);
  std::string upper = DigestHex(digest);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_EQ(ParseDigestHex(upper), digest);
  EXPECT_FALSE(ParseDigestHex(upper.substr(1)));
  EXPECT_FALSE(ParseDigestHex(upper + "0"));
  upper[10] = 'g';
  EXPECT_FALSE(ParseDigestHex(upper));
  EXPECT_FALSE(ParseDigestHex(""));
}

}  // namespace
}  // namespace common
