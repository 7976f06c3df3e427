// A configuration file as a tree of values with their positions: what the
// TOML reader produces and what the checks and conversions walk. Keeping
// the TOML library behind this type keeps it in one translation unit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zvt::pack {

// 1-based line and column (columns count characters, not bytes); 0 when a
// value has no place in a file (made by the packer itself).
struct Position {
  uint32_t line = 0;
  uint32_t column = 0;
};

struct Member;

struct Node {
  enum class Type { String, Integer, Float, Boolean, DateTime, Array, Table };

  Type type = Type::Table;
  Position pos;
  std::string string;  // String: UTF-8
  int64_t integer = 0;
  bool boolean = false;
  std::vector<Node> items;      // Array
  std::vector<Member> members;  // Table, in the order of the file

  // Null when the table has no such key.
  const Node* find(const std::string& key) const;
  const Member* findMember(const std::string& key) const;

  static Node makeString(std::string s);
  static Node makeInteger(int64_t v);
  static Node makeBoolean(bool v);
  static Node makeArray();
  static Node makeTable();
  Node& add(const std::string& key, Node value);  // Table: appends a member
};

struct Member {
  std::string key;
  Position keyPos;
  Node value;
};

// What a value is, for messages: "a string", "an integer", "a table".
const char* describeType(Node::Type type);

}  // namespace zvt::pack
