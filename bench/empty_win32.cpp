// An empty console program: what a process start costs by itself.
int main() {
  return 0;
}
