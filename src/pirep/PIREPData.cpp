// PIREPData: the versioned PIREP file text, its encryption, and the pilot's report text.
// SPDX-License-Identifier: MIT
#include "pirep/PIREPData.h"

#include <openssl/crypto.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "util/clock.h"
#include "util/tokenizer.h"
#include "util/util.h"

namespace orvane {
namespace {

const char* const kVersionKey = "ORVANE-PIREP-Version";
const char* const kCurrentVersion = "3.1";

// The file key: four fixed 32-bit words, each laid out least significant byte first, so
// that every platform builds the same 16 bytes. These values must never change: every
// saved PIREP file depends on them.
class FileKey {
 public:
  FileKey() {
    const std::uint32_t words[4] = {0x5A3C96E1u, 0x0F7B24D8u, 0xC61E83B5u, 0x2D94F07Au};
    for (std::size_t w = 0; w < 4; ++w) {
      for (std::size_t b = 0; b < 4; ++b) {
        bytes_[w * 4 + b] = static_cast<char>((words[w] >> (8 * b)) & 0xFFu);
      }
    }
  }
  ~FileKey() { OPENSSL_cleanse(bytes_.data(), bytes_.size()); }
  FileKey(const FileKey&) = delete;
  FileKey& operator=(const FileKey&) = delete;

  std::string text() const { return std::string(bytes_.data(), bytes_.size()); }

 private:
  std::array<char, 16> bytes_{};
};

std::string apply_file_cipher(const std::string& data, bool encrypt) {
  const FileKey key;
  std::string key_text = key.text();
  try {
    std::string out = rc4_transform(key_text, data, encrypt);
    OPENSSL_cleanse(key_text.data(), key_text.size());
    return out;
  } catch (const std::runtime_error&) {
    OPENSSL_cleanse(key_text.data(), key_text.size());
    throw;
  }
}

// key -> value of every "key=value" line; a later line with the same key wins.
std::map<std::string, std::string> read_pairs(const std::string& text) {
  std::map<std::string, std::string> pairs;
  Tokenizer tokens("=");
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    tokens.push_back(text.substr(start, end - start));
    if (tokens.size() >= 2) pairs[trim(tokens[0])] = trim(tokens[1]);
    start = end + 1;
  }
  return pairs;
}

std::string time_of_day(const std::string& seconds) {
  return format_utc(static_cast<std::time_t>(To_t<long>(seconds)), "%H:%MZ", 9);
}

std::string zero_padded(const std::string& text, int width) { return to_str(text, width, '0'); }

}  // namespace

std::string PIREPData::pack() const {
  std::string out;
  out.reserve(1024 + Comment.size() * 2);
  auto line = [&out](const char* key, const std::string& value) {
    out += key;
    out += '=';
    out += value;
    out += '\n';
  };
  line(kVersionKey, kCurrentVersion);
  line("FlightNumber", Callsign);
  line("Aircraft", Aircraft);
  line("From", From);
  line("To", To);
  line("Alternate", Alt);
  line("Route", Route);
  line("OOut", OOut);
  line("Out", Out);
  line("Off", Off);
  line("On", On);
  line("In", In);
  line("BlockTime", BlockTime);
  line("FliteTime", FliteTime);
  line("BlockFuel", BlockFuel);
  line("FliteFuel", FliteFuel);
  line("FL", FL);
  line("Passengers", Passengers);
  line("Cargo", Cargo);
  line("Online", Online);
  line("Rules", Rules);
  line("ZFW", ZFW);
  line("TOW", TOW);
  line("LAW", LAW);
  line("OriginLat", OriginLat);
  line("OriginLong", OriginLong);
  line("OriginAlt", OriginAlt);
  line("DestinLat", DestinLat);
  line("DestinLong", DestinLong);
  line("DestinAlt", DestinAlt);
  line("MaxROC", MaxROC);
  line("MaxROD", MaxROD);
  line("MaxIAS", MaxIAS);
  line("MaxGS", MaxGS);
  line("Comment", base64encode(Comment));
  line("VSLand", VSLand);
  return out;
}

void PIREPData::unpack(const std::string& text) {
  const std::map<std::string, std::string> pairs = read_pairs(text);
  auto value = [&pairs](const char* key) -> std::string {
    const auto it = pairs.find(key);
    return it == pairs.end() ? std::string() : it->second;
  };

  const std::string version = value(kVersionKey);
  int level = 0;
  if (version == "1.0") {
    level = 10;
  } else if (version == "2.0") {
    level = 20;
  } else if (version == "3.0") {
    level = 30;
  } else if (version == "3.1") {
    level = 31;
  } else {
    throw std::runtime_error("Wrong PIREP file version: [" + version + "].");
  }

  // Filled in a copy so that the record stays as it was if anything below throws.
  PIREPData r = *this;
  r.Callsign = value("FlightNumber");
  r.Aircraft = value("Aircraft");
  r.From = value("From");
  r.To = value("To");
  r.Alt = value("Alternate");
  // Version 1.0 had only the OUT date and time, under "Out".
  if (level == 10) r.OOut = value("Out");
  r.BlockTime = value("BlockTime");
  r.FliteTime = value("FliteTime");
  r.BlockFuel = value("BlockFuel");
  r.FliteFuel = value("FliteFuel");
  r.FL = value("FL");
  r.Passengers = value("Passengers");
  r.Cargo = value("Cargo");
  r.Online = value("Online");
  r.Rules = value("Rules");
  if (level >= 20) {
    r.Route = value("Route");
    r.OOut = value("OOut");
    r.Out = value("Out");
    r.Off = value("Off");
    r.On = value("On");
    r.In = value("In");
  }
  if (level >= 30) {
    r.ZFW = value("ZFW");
    r.TOW = value("TOW");
    r.LAW = value("LAW");
    r.OriginLat = value("OriginLat");
    r.OriginLong = value("OriginLong");
    r.OriginAlt = value("OriginAlt");
    r.DestinLat = value("DestinLat");
    r.DestinLong = value("DestinLong");
    r.DestinAlt = value("DestinAlt");
    r.MaxROC = value("MaxROC");
    r.MaxROD = value("MaxROD");
    r.MaxIAS = value("MaxIAS");
    r.MaxGS = value("MaxGS");
    r.Comment = base64decode(value("Comment"));
  }
  if (level >= 31) r.VSLand = value("VSLand");
  *this = std::move(r);
}

std::string PIREPData::pack_crypt() const { return apply_file_cipher(pack(), true); }

void PIREPData::unpack_crypt(const std::string& bytes) { unpack(apply_file_cipher(bytes, false)); }

std::vector<std::string> PIREPData::Generate_PIREP_Text() const {
  std::vector<std::string> lines;

  std::string first = Callsign;
  const std::size_t used = Callsign.size() + Online.size();
  if (used < 34) first.append(34 - used, ' ');
  first += Online;
  lines.push_back(std::move(first));

  const std::time_t now = orvane::clock().now();
  lines.push_back(format_utc(now, "%Y-%m-%d", 11) + "   " + Aircraft + "   " + From + " " + To +
                  " " + Alt);
  lines.push_back("OUT " + time_of_day(Out) + " " + correct_lat_lon(OriginLat, true) + " " +
                  correct_lat_lon(OriginLong, false) + " " + zero_padded(OriginAlt, 4));
  lines.push_back("OFF " + time_of_day(Off) + " " + zero_padded(TOW, 6));
  lines.push_back("ON  " + time_of_day(On) + " " + zero_padded(LAW, 6) + " " +
                  zero_padded(VSLand, 4));
  lines.push_back("IN  " + time_of_day(In) + " " + correct_lat_lon(DestinLat, true) + " " +
                  correct_lat_lon(DestinLong, false) + " " + zero_padded(DestinAlt, 4));
  lines.push_back("FT " + FliteTime + "    BT " + BlockTime + "    ALT  " + FL);
  lines.push_back("FF " + zero_padded(FliteFuel, 6) + "   BF " + zero_padded(BlockFuel, 6) +
                  "   ZFW " + zero_padded(ZFW, 6));
  lines.push_back("MAX C/D " + zero_padded(MaxROC, 4) + "/-" + zero_padded(MaxROD, 4) + "  IAS " +
                  MaxIAS + " GS " + MaxGS);
  lines.emplace_back();
  lines.emplace_back("COMMENT:");
  for (std::string& l : maxline_string(Comment, 35)) lines.push_back(std::move(l));
  return lines;
}

std::string correct_lat_lon(const std::string& text, bool latitude) {
  double value = To_t<double>(text);
  // Cut to four decimals toward zero. Done in floating point rather than through a 32-bit
  // integer, which would overflow for values beyond 214748.3647; inside that range the
  // result is the same.
  const double scaled = value * 10000.0;
  if (std::isfinite(scaled)) value = std::trunc(scaled) / 10000.0;
  const char* letter = value < 0 ? (latitude ? "S" : "W") : (latitude ? "N" : "E");
  return letter + to_str(std::fabs(value), latitude ? 7 : 8, '0');
}

}  // namespace orvane
