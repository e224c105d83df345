// PIREP files: the atomic, unbuffered save through QSaveFile and the load through the decoder.
#include "frontend/pirepfile.h"

#include <QSaveFile>
#include <QString>
#include <exception>
#include <fstream>
#include <iterator>

namespace orvane {

PIREPFileResult savePIREPFile(const PIREPData& report, const std::string& path) {
  const std::string bytes = report.pack_crypt();
  // A temporary file beside the chosen one replaces it only when it is whole; the
  // destructor removes it when the save does not commit.
  QSaveFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return PIREPFileResult::CannotOpen;
  const auto size = static_cast<qint64>(bytes.size());
  if (file.write(bytes.data(), size) != size || !file.commit()) return PIREPFileResult::CannotWrite;
  return PIREPFileResult::Done;
}

LoadedPIREPFile loadPIREPFile(const std::string& path) {
  LoadedPIREPFile loaded;
  std::ifstream in(path, std::ios::binary);
  if (!in) return loaded;
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  try {
    loaded.report.unpack_crypt(bytes);
  } catch (const std::exception& e) {
    loaded.result = PIREPFileResult::CannotDecode;
    loaded.message = e.what();
    loaded.report = PIREPData{};
    return loaded;
  }
  loaded.result = PIREPFileResult::Done;
  return loaded;
}

}  // namespace orvane
