// A fixture for the function length check (cmake/check_function_length.cmake), read with a
// limit of 5 lines: functions of 6 lines, at namespace level and as a class member, which it
// must refuse, and one of 5 lines, which it must let pass. It is never compiled.
namespace Fixture {

int tooLong(int value,
            int step) {
    value += step;
    value *= step;
    return value;
}

int justRight(int value, int step) {
    value += step;
    value *= step;
    return value;
}

class Steps {
public:
    int tooLongMember(int value) const {
        if (value > 0) {
            return value;
        }
        return -value;
    }
};

}  // namespace Fixture
