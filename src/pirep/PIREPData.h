// PIREPData: the pilot report record, its file format and its report text.
// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

namespace orvane {

// 35 text fields; numbers are held as their decimal text.
struct PIREPData {
  std::string Callsign;
  std::string Aircraft;
  std::string From;
  std::string To;
  std::string Alt;  // alternate airport, not an altitude
  std::string Route;
  std::string OOut;  // "%d.%m.%Y %H:%M" of the OUT time, UTC
  std::string Out;   // event times as decimal seconds
  std::string Off;
  std::string On;
  std::string In;
  std::string BlockTime;  // hh:mm
  std::string FliteTime;
  std::string BlockFuel;  // pounds
  std::string FliteFuel;
  std::string FL;  // highest altitude, feet
  std::string Passengers;
  std::string Cargo;
  std::string Online;
  std::string Rules;
  std::string ZFW;  // pounds
  std::string TOW;
  std::string LAW;
  std::string OriginLat;  // degrees
  std::string OriginLong;
  std::string OriginAlt;  // feet
  std::string DestinLat;
  std::string DestinLong;
  std::string DestinAlt;
  std::string MaxROC;  // feet per minute
  std::string MaxROD;
  std::string MaxIAS;  // knots
  std::string MaxGS;
  std::string Comment;
  std::string VSLand;  // feet per minute, positive

  bool operator==(const PIREPData&) const = default;

  // The versioned key=value plain text of the file format.
  std::string pack() const;
  // Fills the record from a plain text; throws std::runtime_error on a wrong version and
  // then leaves the record unchanged.
  void unpack(const std::string& text);
  // The RC4-encrypted pack(); throws std::runtime_error when the cipher fails.
  std::string pack_crypt() const;
  // Decrypts file bytes and unpacks them; throws std::runtime_error.
  void unpack_crypt(const std::string& bytes);

  // The fixed-layout report the pilot reviews, one string per line.
  std::vector<std::string> Generate_PIREP_Text() const;
};

// A coordinate held as decimal text in the report's hemisphere form, e.g. "N50.0333".
std::string correct_lat_lon(const std::string& text, bool latitude);

// RC4 of data with key through OpenSSL; the cipher layer of the file format.
std::string rc4_transform(const std::string& key, const std::string& data, bool encrypt);

}  // namespace orvane
