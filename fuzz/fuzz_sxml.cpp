// Feeds arbitrary bytes to the SXML reader and to the document loader, and a
// template cut off where the first bytes say: a template cut before its last
// ")" but after its first "(" never loads.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "model/qvl_document.h"
#include "sxml/USXMLSub.h"

namespace {

std::vector<std::string> g_templates;

// A load either fails cleanly or gives a tree whose saved text loads back to
// the very same text.
void LoadAndSaveAgain(std::string_view bytes) {
  qvl::root_t root;
  if (!qvl::LoadDocumentFromText(root, bytes)) return;
  const std::string text = qvl::DocumentText(root);
  qvl::root_t again;
  if (!qvl::LoadDocumentFromText(again, text) || qvl::DocumentText(again) != text) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  for (const auto& entry : std::filesystem::directory_iterator(QVL_TEMPLATE_DIR)) {
    std::ifstream in(entry.path(), std::ios::binary);
    g_templates.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  try {
    qvl::sxml::TSXMLDoc doc;
    doc.LoadFromBuffer(bytes);
  } catch (const qvl::sxml::EReadError&) {
  }
  LoadAndSaveAgain(bytes);
  if (size < 4 || g_templates.empty()) return 0;
  std::uint32_t pick = 0;
  std::memcpy(&pick, data, 4);
  const std::string& text = g_templates[pick % g_templates.size()];
  const std::size_t cut = pick / g_templates.size() % (text.size() + 1);
  qvl::root_t root;
  // A cut before the root's "(" leaves nothing but blanks, which is an empty
  // document, not a broken one.
  if (qvl::LoadDocumentFromText(root, std::string_view(text).substr(0, cut)) &&
      cut > text.find('(') && cut <= text.rfind(')')) {
    std::abort();
  }
  return 0;
}
