#include "toml_tree.h"

namespace zvt::pack {

const Member* Node::findMember(const std::string& key) const {
  for (const Member& m : members) {
    if (m.key == key) return &m;
  }
  return nullptr;
}

const Node* Node::find(const std::string& key) const {
  const Member* m = findMember(key);
  return m ? &m->value : nullptr;
}

Node Node::makeString(std::string s) {
  Node n;
  n.type = Type::String;
  n.string = std::move(s);
  return n;
}

Node Node::makeInteger(int64_t v) {
  Node n;
  n.type = Type::Integer;
  n.integer = v;
  return n;
}

Node Node::makeBoolean(bool v) {
  Node n;
  n.type = Type::Boolean;
  n.boolean = v;
  return n;
}

Node Node::makeArray() {
  Node n;
  n.type = Type::Array;
  return n;
}

Node Node::makeTable() {
  Node n;
  n.type = Type::Table;
  return n;
}

Node& Node::add(const std::string& key, Node value) {
  members.push_back(Member{key, {}, std::move(value)});
  return members.back().value;
}

const char* describeType(Node::Type type) {
  switch (type) {
    case Node::Type::String:
      return "a string";
    case Node::Type::Integer:
      return "an integer";
    case Node::Type::Float:
      return "a floating-point number";
    case Node::Type::Boolean:
      return "true or false";
    case Node::Type::DateTime:
      return "a date or time";
    case Node::Type::Array:
      return "an array";
    case Node::Type::Table:
      return "a table";
  }
  return "a value";
}

}  // namespace zvt::pack
