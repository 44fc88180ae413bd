// The olive executable: simulates one weather station for a span of dates.
int main(int, char**) {
  return 0;
}
