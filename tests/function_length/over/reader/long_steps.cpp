// A fixture for the function length check (cmake/check_function_length.cmake): functions of
// 61 lines, at namespace level and as a class member, which it must refuse, and one of 60
// lines, which it must let pass. It is never compiled.
namespace Fixture {

int tooLong(int value,
         int step) {
    value += step * 0;
    value += step * 1;
    value += step * 2;
    value += step * 3;
    value += step * 4;
    value += step * 5;
    value += step * 6;
    value += step * 7;
    value += step * 8;
    value += step * 9;
    value += step * 10;
    value += step * 11;
    value += step * 12;
    value += step * 13;
    value += step * 14;
    value += step * 15;
    value += step * 16;
    value += step * 17;
    value += step * 18;
    value += step * 19;
    value += step * 20;
    value += step * 21;
    value += step * 22;
    value += step * 23;
    value += step * 24;
    value += step * 25;
    value += step * 26;
    value += step * 27;
    value += step * 28;
    value += step * 29;
    value += step * 30;
    value += step * 31;
    value += step * 32;
    value += step * 33;
    value += step * 34;
    value += step * 35;
    value += step * 36;
    value += step * 37;
    value += step * 38;
    value += step * 39;
    value += step * 40;
    value += step * 41;
    value += step * 42;
    value += step * 43;
    value += step * 44;
    value += step * 45;
    value += step * 46;
    value += step * 47;
    value += step * 48;
    value += step * 49;
    value += step * 50;
    value += step * 51;
    value += step * 52;
    value += step * 53;
    value += step * 54;
    value += step * 55;
    value += step * 56;
    value += step * 57;
}

int justRight(int value,
         int step) {
    value += step * 0;
    value += step * 1;
    value += step * 2;
    value += step * 3;
    value += step * 4;
    value += step * 5;
    value += step * 6;
    value += step * 7;
    value += step * 8;
    value += step * 9;
    value += step * 10;
    value += step * 11;
    value += step * 12;
    value += step * 13;
    value += step * 14;
    value += step * 15;
    value += step * 16;
    value += step * 17;
    value += step * 18;
    value += step * 19;
    value += step * 20;
    value += step * 21;
    value += step * 22;
    value += step * 23;
    value += step * 24;
    value += step * 25;
    value += step * 26;
    value += step * 27;
    value += step * 28;
    value += step * 29;
    value += step * 30;
    value += step * 31;
    value += step * 32;
    value += step * 33;
    value += step * 34;
    value += step * 35;
    value += step * 36;
    value += step * 37;
    value += step * 38;
    value += step * 39;
    value += step * 40;
    value += step * 41;
    value += step * 42;
    value += step * 43;
    value += step * 44;
    value += step * 45;
    value += step * 46;
    value += step * 47;
    value += step * 48;
    value += step * 49;
    value += step * 50;
    value += step * 51;
    value += step * 52;
    value += step * 53;
    value += step * 54;
    value += step * 55;
    value += step * 56;
}

class Steps {
public:
    int tooLongMember(int value,
             int step) {
        value += step * 0;
        value += step * 1;
        value += step * 2;
        value += step * 3;
        value += step * 4;
        value += step * 5;
        value += step * 6;
        value += step * 7;
        value += step * 8;
        value += step * 9;
        value += step * 10;
        value += step * 11;
        value += step * 12;
        value += step * 13;
        value += step * 14;
        value += step * 15;
        value += step * 16;
        value += step * 17;
        value += step * 18;
        value += step * 19;
        value += step * 20;
        value += step * 21;
        value += step * 22;
        value += step * 23;
        value += step * 24;
        value += step * 25;
        value += step * 26;
        value += step * 27;
        value += step * 28;
        value += step * 29;
        value += step * 30;
        value += step * 31;
        value += step * 32;
        value += step * 33;
        value += step * 34;
        value += step * 35;
        value += step * 36;
        value += step * 37;
        value += step * 38;
        value += step * 39;
        value += step * 40;
        value += step * 41;
        value += step * 42;
        value += step * 43;
        value += step * 44;
        value += step * 45;
        value += step * 46;
        value += step * 47;
        value += step * 48;
        value += step * 49;
        value += step * 50;
        value += step * 51;
        value += step * 52;
        value += step * 53;
        value += step * 54;
        value += step * 55;
        value += step * 56;
        value += step * 57;
    }
};

}  // namespace Fixture
