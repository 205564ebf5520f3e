var miasta = ["Łódź", "Świętochłowice"];
